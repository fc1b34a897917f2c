// One look for the standard buttons of every dialog and message box.
#pragma once

class QDialogButtonBox;
class QWidget;

namespace vig::widgets {

// Takes the style's pictures off the buttons of `box` (some desktops put
// clip-art on OK, Cancel and Help, and none elsewhere) and gives OK, Cancel,
// Help and Close plain captions: Enter, Escape and F1 press them, so their
// letters stay free for the mnemonics of the controls around them.
void PlainDialogButtons(QDialogButtonBox* box);

// Gives every push button with a caption under `root` room for it: its
// caption's width and a margin of a line's height on each side, at any font
// size, scale or translation.
void WidenButtons(QWidget* root);

}  // namespace vig::widgets
