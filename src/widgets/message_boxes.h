// Every message box of both programs goes through this seam, so that tests
// can read the text and answer without a modal box ever blocking them.
#pragma once

#include <QString>

class QWidget;

namespace vig::widgets {

enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A modal box over `parent` with the caption, text, icon and buttons
    // given; answers the button chosen (Cancel or No when it was closed).
    virtual MessageAnswer Show(QWidget* parent, const QString& caption, const QString& text,
                               MessageIcon icon, MessageButtons buttons) = 0;
};

// The boxes in use: real message boxes unless a test installed its own.
MessageBoxes& Messages();
// Installs `boxes` (nullptr restores the real ones); the caller keeps
// ownership and removes it before it goes.
void SetMessages(MessageBoxes* boxes);

}  // namespace vig::widgets
