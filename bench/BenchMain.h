#pragma once

#include <benchmark/benchmark.h>

#include <QtGlobal>

// Runs the program's benchmarks inside an App (QApplication or QGuiApplication) on the offscreen
// platform, unless the caller chose a platform or, where displayToo is false, a display is there.
template <class App>
int runBenchmarks(int argc, char** argv, bool displayToo)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && (displayToo || qEnvironmentVariableIsEmpty("DISPLAY")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
