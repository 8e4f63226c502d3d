#include "about_dialog.h"

#include "app_icon.h"
#include "dialog_units.h"
#include "fitted_font.h"
#include "project_version.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include <string_view>
#include <utility>

namespace {

// The version line is fixed text; a new version must decide what the box says.
static_assert(std::string_view(kProjectVersion) == "1.0",
              "the About box says \"Cobblestack Version 1.0\": change it with the version");

const char* const kDescription =
    "Cobblestack is intended to assist in managing Protel Autotrax component libraries. Although "
    "this can be done through the program itself, it is laborious.  With Cobstack, you can view "
    "any library file in a chosen directory and delete unwanted components. A second library may "
    "be opened or created and components added to it from any of the source libraries.";

const char* const kDisclaimer =
    "Caution: this program is supplied as is and as it may yet become. Not to be taken internally. "
    "Keep away from open flames, strong magnets, small children and large electrolytic capacitors. "
    "Contents may settle during saving. Components in the viewer may be smaller than they appear. "
    "Not for use as a flotation device, a soldering iron or a source of dietary fibre. Do not "
    "operate heavy machinery while the lamp is red; if it turns blue, stay calm, the name is "
    "merely taken. Results may vary with the phase of the moon and the age of your floppy disks. "
    "Void where prohibited. Batteries not included. By running it you agree that whatever goes "
    "wrong, from a lost pad to a scrapped board, is yours alone to answer for.";

// A static text of the layout: plain text, so an ampersand shows as itself.
QLabel* makeText(QWidget* parent, const char* objectName, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// A bordered, word-wrapped text box; its text is put in each time the box opens.
QLabel* makeTextBox(QWidget* parent, const char* objectName) {
    QLabel* label = makeText(parent, objectName, QString());
    label->setWordWrap(true);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About Cobblestack4"));
    setModal(true);

    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("icon"));
    icon_->setPixmap(applicationIcon().pixmap(32, 32));
    icon_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    version_ = makeText(this, "versionText", QStringLiteral("Cobblestack Version 1.0"));
    secondLine_ =
        makeText(this, "secondLineText", QStringLiteral("A keeper of footprint libraries"));

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("okButton"));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    description_ = makeTextBox(this, "descriptionText");
    disclaimer_ = makeTextBox(this, "disclaimerText");
    disclaimerLabel_ = makeText(this, "disclaimerLabel", QStringLiteral("Disclaimer..."));

    layOut();
}

void AboutDialog::showEvent(QShowEvent* event) {
    description_->setText(QString::fromUtf8(kDescription));
    disclaimer_->setText(QString::fromUtf8(kDisclaimer));
    ok_->setFocus();
    QDialog::showEvent(event);
}

void AboutDialog::changeEvent(QEvent* event) {
    // Dialog units follow the font, so a new font moves and resizes everything.
    if (event->type() == QEvent::FontChange && ok_ != nullptr) layOut();
    QDialog::changeEvent(event);
}

void AboutDialog::layOut() {
    const DialogUnits units(fontMetrics());
    setFixedSize(units.size(235, 225));
    icon_->setGeometry(units.rect(11, 17, 21, 20));
    version_->setGeometry(units.rect(40, 10, 119, 8));
    secondLine_->setGeometry(units.rect(40, 25, 131, 8));
    ok_->setGeometry(units.rect(178, 7, 50, 14));
    description_->setGeometry(units.rect(7, 42, 221, 54));
    disclaimer_->setGeometry(units.rect(7, 116, 221, 102));
    // Both text boxes keep their text two dialog units inside the border on every side, so that
    // the longest wrapped line stands as clear of the border as the first; where the desktop's
    // font would run a text into its bottom border, the box takes a smaller size of it.
    const int margin = units.x(2);
    for (auto [box, text] : {std::pair{description_, kDescription}, {disclaimer_, kDisclaimer}}) {
        box->setMargin(margin);
        const QSize room =
            box->size() - QSize(2 * (box->frameWidth() + margin), 2 * (box->frameWidth() + margin));
        box->setFont(fontFittingBox(font(), QString::fromUtf8(text), room));
    }
    disclaimerLabel_->setGeometry(units.rect(7, 100, 64, 12));
}
