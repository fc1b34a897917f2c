// Fakes and helpers of the options sheet tests: recorded message boxes, a
// colour and a font chooser that answer at once, and modal dialogs driven
// from a timer.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>
#include <vector>

#include "options/batch_options.h"
#include "platform/profile_store.h"
#include "ui/colour_swatch.h"
#include "ui/font_chooser.h"
#include "widgets/message_boxes.h"

namespace vig {

// A failing comparison of records prints their stored values.
inline void PrintTo(const options::BatchOptions& o, std::ostream* os) {
    MemoryProfileStore store;
    o.Save(store);
    for (const auto& [name, value] : store.Values()) *os << "\n  " << name << "=" << value;
    *os << "\n  HTMLWritePCX=" << o.HTMLWritePCX;
}

}  // namespace vig

namespace vig::test {

struct ShownMessage {
    QString caption;
    QString text;
    widgets::MessageIcon icon;
};

// Records every box and answers OK; installed for the life of the object,
// together with choosers that answer `chosenColour` and `chosenFont`.
class SheetFakes final : public widgets::MessageBoxes {
public:
    SheetFakes() {
        widgets::SetMessages(this);
        ui::SetColourChooser([this](QWidget*, QColor* c) {
            ++colourRequests;
            *c = ui::ToQColor(chosenColour);
            return true;
        });
        ui::SetFontChooser([this](QWidget*, ui::FontChoice* f) {
            *f = chosenFont;
            return true;
        });
    }
    ~SheetFakes() override {
        widgets::SetMessages(nullptr);
        ui::SetColourChooser({});
        ui::SetFontChooser({});
    }
    widgets::MessageAnswer Show(QWidget*, const QString& caption, const QString& text,
                                widgets::MessageIcon icon, widgets::MessageButtons) override {
        shown.push_back({caption, text, icon});
        return widgets::MessageAnswer::Ok;
    }
    QStringList Texts() const {
        QStringList t;
        for (const ShownMessage& m : shown) t << m.text;
        return t;
    }

    std::vector<ShownMessage> shown;
    int colourRequests = 0;
    options::Colour chosenColour = options::MakeColour(11, 22, 33);
    ui::FontChoice chosenFont{QStringLiteral("DejaVu Serif"), 20, options::MakeColour(40, 50, 60)};
};

// Runs `act` on the modal dialog that the next call opens, then leaves it
// with OK (accept) or Cancel.
inline void OnNextModal(std::function<void(QDialog&)> act, bool accept = true) {
    QTimer::singleShot(0, [act = std::move(act), accept] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
}

}  // namespace vig::test
