// Helpers of the library-codec tests: synthetic pictures, PNG chunk lists,
// progress-callback recorders and the test data folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vig::test {

// width x height RGB: red rises to the right, green downwards, blue mixes.
std::vector<uint8_t> Gradient(int width, int height);

struct PngChunk {
    std::string type;
    std::vector<uint8_t> data;
};
// The chunks of a PNG file in order (empty when the signature is wrong).
std::vector<PngChunk> PngChunks(const std::string& path);
// tEXt/zTXt chunks as "key=text" with "z:" before compressed ones.
std::vector<std::string> PngTexts(const std::string& path);

// Writes a PNG byte for byte: signature, IHDR and the given chunks (types
// with their data; CRCs computed), then IEND.
bool WriteRawPng(const std::string& path, uint32_t width, uint32_t height, uint8_t depth,
                 uint8_t colourType, const std::vector<PngChunk>& chunks);
// One zlib stream of `rows` (each starting with filter byte 0) as IDAT.
PngChunk Idat(const std::vector<std::vector<uint8_t>>& rows);

// Progress recorder: installs itself as the library's callback and cancels
// at the given call (-1 never); restores no callback when it goes.
class ProgressRecorder {
public:
    explicit ProgressRecorder(int cancelAtCall = -1);
    ~ProgressRecorder();
    std::vector<int> rows;
    int lastTotal = 0;
};

std::string DataPath(const std::string& relative);
// The files of a data folder whose names end with `suffix`, sorted.
std::vector<std::string> DataFiles(const std::string& folder, const std::string& suffix);

}  // namespace vig::test
