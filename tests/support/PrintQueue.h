#pragma once

// The print queues of the scheduler that scripts/test starts (scripts/test-cups): two cups-pdf
// printers whose PDFs land in a folder of the scheduler's own. Every test binary starts with CUPS
// pointed at no scheduler at all (qt_gtest_main.cpp); a TestQueues turns it to this one while it
// lives, for Qt's printing in this thread too.
#include <cups/cups.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QThread>

namespace printqueue {

// Prints the whole A4 page; the other cannot print the outer 6 mm of any paper.
inline const QString Queue = QStringLiteral("TesselPDF");
inline const QString MarginQueue = QStringLiteral("TesselPDF6mm");
inline constexpr double QueueMargin = 6.0;

// A job title no other job of any test run has: cups-pdf names its PDF after it.
inline QString jobTitle(const char* what)
{
    static int count = 0;
    return QStringLiteral("tessel-%1-%2-%3").arg(QCoreApplication::applicationPid()).arg(++count).arg(QLatin1String(what));
}

class TestQueues
{
public:
    TestQueues()
        : FServer(qgetenv("TESSEL_TEST_CUPS_SERVER"))
    {
        if (!FServer.isEmpty())
            cupsSetServer(FServer.constData());
    }
    ~TestQueues()
    {
        if (!FServer.isEmpty())
            cupsSetServer(nullptr); // back to CUPS_SERVER: no scheduler
    }
    TestQueues(const TestQueues&) = delete;
    TestQueues& operator=(const TestQueues&) = delete;

    bool available() const { return !FServer.isEmpty(); }
    // Why there are no queues, for GTEST_SKIP.
    QString unavailable() const
    {
        const QString why = qEnvironmentVariable("TESSEL_TEST_CUPS_UNAVAILABLE");
        return why.isEmpty() ? QStringLiteral("no test print queues: run the tests through scripts/test or scripts/test-cups")
                             : QStringLiteral("no test print queues: ") + why;
    }

    // The PDF that cups-pdf made of the job with this title, once the scheduler is done with it
    // (a job takes a second or two); empty, and why in `problem`, when the job failed or never came.
    QString waitForPdf(const QString& title, QString& problem) const
    {
        const QByteArray wanted = title.toUtf8();
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 60000) {
            cups_job_t* jobs = nullptr;
            const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
            ipp_jstate_t state = IPP_JSTATE_PENDING;
            bool found = false;
            for (int i = 0; i < count; ++i)
                if (wanted == jobs[i].title) {
                    found = true;
                    state = jobs[i].state;
                }
            cupsFreeJobs(count, jobs);
            if (found && state == IPP_JSTATE_COMPLETED) {
                const QString pdf = QDir(qEnvironmentVariable("TESSEL_TEST_CUPS_OUTPUT")).filePath(title + QStringLiteral(".pdf"));
                if (QFile::exists(pdf))
                    return pdf;
                problem = QStringLiteral("job \"%1\" completed, but cups-pdf made no %2").arg(title, pdf);
                return {};
            }
            if (found && state >= IPP_JSTATE_STOPPED) {
                problem = QStringLiteral("job \"%1\" ended in state %2").arg(title).arg(int(state));
                return {};
            }
            QThread::msleep(100);
        }
        problem = QStringLiteral("job \"%1\" not done within a minute").arg(title);
        return {};
    }

private:
    QByteArray FServer;
};

} // namespace printqueue
