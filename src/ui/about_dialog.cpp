#include "ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "engine/app_info.h"
#include "ui/window_texts.h"
#include "ui_about_dialog.h"
#include "widgets/help.h"
#include "widgets/pictures.h"

namespace vig::ui {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AboutDialog>()) {
    ui_->setupUi(this);
    setWindowTitle(QString::fromLatin1(texts::kAboutCaption));
    ui_->iconLabel->setPixmap(widgets::ApplicationIcon().pixmap(80, 80));
    ui_->nameLabel->setText(QString::fromLatin1(texts::kProgramName));
    QFont big = ui_->nameLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    ui_->nameLabel->setFont(big);
    ui_->versionLabel->setText(
        QString::fromLatin1(texts::kVersionLine).arg(QString::fromLatin1(VersionText())));
    ui_->descriptionLabel->setText(QString::fromLatin1(texts::kAboutLine));
    ui_->copyrightLabel->setText(QString::fromUtf8(texts::kCopyrightLine));
    connect(ui_->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->creditsButton, &QPushButton::clicked, this, &AboutDialog::OnCredits);
    connect(ui_->homeButton, &QPushButton::clicked, this, [] { widgets::ShowHelpHome(); });
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::OnCredits() {
    QDialog credits(this);
    credits.setWindowTitle(QString::fromLatin1(texts::kCreditsCaption));
    auto* layout = new QVBoxLayout(&credits);
    auto* text = new QLabel(QString::fromUtf8(texts::kCreditsText), &credits);
    text->setObjectName(QStringLiteral("creditsText"));
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setMinimumWidth(360);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &credits);
    connect(buttons, &QDialogButtonBox::accepted, &credits, &QDialog::accept);
    layout->addWidget(buttons);
    credits.exec();
}

}  // namespace vig::ui
