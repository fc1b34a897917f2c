#include "image/image_library.h"

namespace vig::image {
namespace {

thread_local ErrorCode tLastError = ErrNone;
thread_local ProgressCallback tCallback = nullptr;
thread_local MessagePump tPump = nullptr;
thread_local void* tPumpContext = nullptr;
thread_local StopCheck tStopCheck = nullptr;
thread_local void* tStopContext = nullptr;

}  // namespace

ErrorCode GetLastImageError() { return tLastError; }
void SetLastImageError(ErrorCode code) { tLastError = code; }

void SetProgressCallback(ProgressCallback callback) { tCallback = callback; }
ProgressCallback GetProgressCallback() { return tCallback; }

int ReportProgress(int row, int total) { return tCallback != nullptr ? tCallback(row, total) : 1; }

int ApplicationProgressCallback(int row, int /*total*/) {
    if (row % 20 != 0) return 1;
    if (tPump != nullptr) tPump(tPumpContext, 80);
    return StopRequestedNow() ? 0 : 1;
}

void SetMessagePump(MessagePump pump, void* context) {
    tPump = pump;
    tPumpContext = context;
}

void PumpMessagesNow(int maxMilliseconds) {
    if (tPump != nullptr) tPump(tPumpContext, maxMilliseconds);
}

}  // namespace vig::image

namespace vig::image {

void SetStopCheck(StopCheck check, void* context) {
    tStopCheck = check;
    tStopContext = context;
}

bool StopRequestedNow() {
    return tStopCheck != nullptr && tStopCheck(tStopContext);
}

}  // namespace vig::image
