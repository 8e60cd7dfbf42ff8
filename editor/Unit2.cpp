#include "editor/Unit2.h"

#include "editor/WindowFont.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

TAboutBox* AboutBox = nullptr;

namespace {

// A panel with a lowered outer and a raised inner bevel, one pixel each.
class BevelPanel : public QFrame
{
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QPalette& pal = palette();
        const QRect r = rect();
        auto bevel = [&p](QRect box, const QColor& topLeft, const QColor& bottomRight) {
            p.setPen(topLeft);
            p.drawLine(box.left(), box.top(), box.right(), box.top());
            p.drawLine(box.left(), box.top(), box.left(), box.bottom());
            p.setPen(bottomRight);
            p.drawLine(box.left(), box.bottom(), box.right(), box.bottom());
            p.drawLine(box.right(), box.top(), box.right(), box.bottom());
        };
        bevel(r, pal.color(QPalette::Dark), pal.color(QPalette::Light));
        bevel(r.adjusted(1, 1, -1, -1), pal.color(QPalette::Light), pal.color(QPalette::Dark));
    }
};

} // namespace

// The resources live in a static library, so they must be registered by hand.
static void initEditorResources()
{
    Q_INIT_RESOURCE(editor);
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent)
{
    initEditorResources();
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(windowFont());
    setModal(true);
    // Fixed border: no resizing, no help button.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
    setFixedSize(273, 137);

    Panel1 = new BevelPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(7, 7, 258, 98);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(7, 7, 58, 58);
    ProgramIcon->setPixmap(QPixmap(QStringLiteral(":/editor/tessel-editor.png")));
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setAccessibleName(QStringLiteral("プログラムのアイコン"));

    ProductName = new QLabel(QStringLiteral("Brisel ラベルエディタ"), Panel1);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setGeometry(81, 15, 104, 12);

    Version = new QLabel(QStringLiteral("Version " TESSEL_VERSION), Panel1);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setGeometry(81, 37, 63, 12);
    // Static texts size themselves to the font, never smaller than their place.
    for (QLabel* label : {ProductName, Version})
        label->resize(label->size().expandedTo(label->sizeHint()));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(94, 109, 69, 23);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}
