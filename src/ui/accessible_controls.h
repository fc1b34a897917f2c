// What assistive technology is told about the sheet's drawn controls: the
// position box is a list whose value is the chosen place, the overlay
// preview a picture.
#pragma once

namespace vig::ui {

// Installs the accessibility factory once; every drawn control calls it.
void InstallAccessibleControls();

}  // namespace vig::ui
