#include "ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "engine/app_info.h"
#include "ui/window_texts.h"
#include "ui_about_dialog.h"
#include "widgets/dialog_buttons.h"
#include "widgets/help.h"
#include "widgets/pictures.h"

namespace vig::ui {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AboutDialog>()) {
    ui_->setupUi(this);
    setWindowTitle(texts::Tr(texts::kAboutCaption));
    ui_->iconLabel->setPixmap(widgets::ApplicationIcon().pixmap(80, 80));
    ui_->nameLabel->setText(QString::fromLatin1(texts::kProgramName));
    QFont big = ui_->nameLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    ui_->nameLabel->setFont(big);
    ui_->versionLabel->setText(
        texts::Tr(texts::kVersionLine).arg(QString::fromLatin1(engine::VersionText())));
    ui_->descriptionLabel->setText(texts::Tr(texts::kAboutLine));
    ui_->copyrightLabel->setText(texts::Tr(texts::kCopyrightLine));
    widgets::WidenButtons(this);
    connect(ui_->okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->creditsButton, &QPushButton::clicked, this, &AboutDialog::OnCredits);
    connect(ui_->homeButton, &QPushButton::clicked, this, [] { widgets::ShowHelpHome(); });
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::OnCredits() {
    QDialog credits(this);
    credits.setWindowTitle(texts::Tr(texts::kCreditsCaption));
    auto* layout = new QVBoxLayout(&credits);
    auto* text = new QLabel(texts::Tr(texts::kCreditsText), &credits);
    text->setObjectName(QStringLiteral("creditsText"));
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setMinimumWidth(360);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &credits);
    widgets::PlainDialogButtons(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &credits, &QDialog::accept);
    layout->addWidget(buttons);
    credits.exec();
}

}  // namespace vig::ui
