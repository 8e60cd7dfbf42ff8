// A drag source for drops in a real X server: a small window at the screen's top left that starts
// a drag of the URLs on its command line when the pointer is pressed in it, and prints whether the
// target took the drop.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource : public QWidget
{
public:
    QList<QUrl> urls;

protected:
    void mousePressEvent(QMouseEvent*) override
    {
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setUrls(urls);
        drag->setMimeData(mime);
        // Tells the pointer's driver that the drag is starting, so its moves take part in it.
        std::printf("PRESSED\n");
        std::fflush(stdout);
        const Qt::DropAction result = drag->exec(Qt::CopyAction);
        std::printf("DROP %s\n", result == Qt::CopyAction ? "taken" : "refused");
        std::fflush(stdout);
        // The target fetches the data after the drop; stay until it has.
        QTimer::singleShot(1000, qApp, &QApplication::quit);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    DragSource source;
    for (int i = 1; i < argc; ++i)
        source.urls << QUrl(QString::fromLocal8Bit(argv[i]));
    source.setWindowTitle(QStringLiteral("drag-source"));
    source.setGeometry(0, 0, 100, 100);
    source.show();
    return app.exec();
}
