#include "ui/pages/options_page.h"

#include <QAbstractButton>

namespace vig::ui {

COptionsPage::COptionsPage(options::BatchOptions& options, QString title,
                           widgets::HelpTopic helpTopic, QWidget* parent)
    : QWidget(parent), options_(options), title_(std::move(title)), helpTopic_(helpTopic) {}

void COptionsPage::UpdateRulesOnToggle(std::initializer_list<QAbstractButton*> buttons) {
    for (QAbstractButton* b : buttons)
        connect(b, &QAbstractButton::toggled, this, &COptionsPage::UpdateRules);
}

}  // namespace vig::ui
