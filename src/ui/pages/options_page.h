// The base of the options sheet's pages. A page shows the fields it owns of
// the sheet's working copy of the options, takes them back with its
// corrections and checks when it is left (another tab or OK), and names its
// help topic.
#pragma once

#include <QWidget>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "options/batch_options.h"
#include "ui/form_helpers.h"
#include "ui/window_texts.h"
#include "widgets/help.h"

class QAbstractButton;

namespace vig::ui {

class COptionsPage : public QWidget {
    Q_OBJECT
public:
    COptionsPage(options::BatchOptions& options, QString title, widgets::HelpTopic helpTopic,
                 QWidget* parent = nullptr);

    const QString& title() const { return title_; }
    widgets::HelpTopic helpTopic() const { return helpTopic_; }

    // The page's fields of the working copy into the controls, with the
    // enable rules.
    virtual void ShowOptions() = 0;
    // The controls into the working copy, with the page's corrections and
    // checks. False keeps the page open.
    virtual bool LeavePage() = 0;

protected:
    // The enable and disable rules of the page's current state.
    virtual void UpdateRules() {}
    // Each of these buttons applies the rules again when it changes.
    void UpdateRulesOnToggle(std::initializer_list<QAbstractButton*> buttons);

    void Warn(const char* text) { WarnUser(this, text); }

    // The page's controls bound to their fields, once, in the constructor;
    // ShowOptions and LeavePage run them around the page's own rules.
    void Bind(FormBindings<options::BatchOptions> bindings) { bindings_ = std::move(bindings); }
    void ShowFields() const { bindings_.Show(options_); }
    bool ReadFields() { return bindings_.Read(this, options_); }
    bool CheckFields() { return bindings_.Check(this); }

    options::BatchOptions& options_;

private:
    QString title_;
    widgets::HelpTopic helpTopic_;
    FormBindings<options::BatchOptions> bindings_;
};

// A page laid out by a Designer form (`Form`, from the page's .ui file).
template <class Form>
class CFormPage : public COptionsPage {
public:
    Form& ui() { return *ui_; }

protected:
    CFormPage(options::BatchOptions& options, const char* title, widgets::HelpTopic helpTopic,
              QWidget* parent)
        : COptionsPage(options, texts::Tr(title), helpTopic, parent),
          ui_(std::make_unique<Form>()) {
        ui_->setupUi(this);
    }

    std::unique_ptr<Form> ui_;
};

}  // namespace vig::ui
