#include "customize/ppd_path.h"

bool GetPpdFilePath(HANDLE heap, HANDLE printer, WCHAR* path) {
    if (heap == nullptr || path == nullptr) {
        return false;
    }
    // The first call only asks for the size; it fails by design.
    DWORD needed = 0;
    GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed);
    if (needed == 0) {
        return false;
    }
    BYTE* block = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, needed));
    if (block == nullptr) {
        return false;
    }
    bool found = false;
    if (GetPrinterDriverW(printer, nullptr, 3, block, needed, &needed)) {
        const DRIVER_INFO_3W* info = reinterpret_cast<const DRIVER_INFO_3W*>(block);
        const WCHAR* dataFile = info->pDataFile;
        if (dataFile != nullptr) {
            int length = 0;
            while (length < kPpdPathCapacity && dataFile[length] != 0) {
                ++length;
            }
            if (length < kPpdPathCapacity) {
                for (int i = 0; i <= length; ++i) {
                    path[i] = dataFile[i];
                }
                found = true;
            }
        }
    }
    HeapFree(heap, 0, block);
    return found;
}
