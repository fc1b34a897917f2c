#include "image/png_state.h"

#include "image/image_library.h"

namespace vig::image {
namespace {

struct PngState {
    PngBackground background;
    double screenGamma = 2.9;
    std::vector<PngTextEntry> readList;
    std::vector<PngTextEntry> writeList;
};

PngState& State() {
    thread_local PngState state;
    return state;
}

}  // namespace

void PngSetBackground(uint8_t index, uint16_t red, uint16_t green, uint16_t blue, uint16_t gray) {
    State().background = PngBackground{index, red, green, blue, gray};
}

PngBackground PngGetBackground() { return State().background; }

double PngSetScreenGamma(double gamma) {
    const double old = State().screenGamma;
    State().screenGamma = gamma;
    return old;
}

double PngGetScreenGamma() { return State().screenGamma; }

void PngClearTextLists() {
    State().readList.clear();
    State().writeList.clear();
}

void PngAddWriteText(const std::string& key, const std::string& text, bool compressed) {
    if (key.empty()) return;
    State().writeList.push_back(PngTextEntry{compressed, text, key});
}

const std::vector<PngTextEntry>& PngWriteTextList() { return State().writeList; }
void PngClearWriteTextList() { State().writeList.clear(); }

void PngAddReadText(const std::string& key, const std::string& text, bool compressed) {
    State().readList.push_back(PngTextEntry{compressed, text, key});
}

void PngClearReadTextList() { State().readList.clear(); }
const std::vector<PngTextEntry>& PngReadTextList() {
    return State().readList;
}
}  // namespace vig::image
