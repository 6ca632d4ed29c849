#include "framework/FontEnum.h"

#include "framework/Handles.h"

namespace fw {

namespace {

int CALLBACK CollectFace(const LOGFONTW* Font, const TEXTMETRICW*, DWORD FontType, LPARAM Data) {
    auto* faces = reinterpret_cast<std::vector<TFontFace>*>(Data);
    faces->push_back(TFontFace{std::wstring(Font->lfFaceName, wcsnlen(Font->lfFaceName, LF_FACESIZE)), FontType,
                               Font->lfCharSet, Font->lfPitchAndFamily});
    return 1;  // always on to the next face
}

}  // namespace

std::vector<TFontFace> EnumFontFaces(HDC DC) {
    std::vector<TFontFace> faces;
    if (DC) EnumFontsW(DC, nullptr, CollectFace, reinterpret_cast<LPARAM>(&faces));
    return faces;
}

std::vector<TFontFace> ScreenFontFaces() {
    WindowDC dc(nullptr);
    return EnumFontFaces(dc.get());
}

std::wstring DefaultPrinterName() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return std::wstring();
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) return std::wstring();
    name.resize(wcsnlen(name.c_str(), name.size()));
    return name;
}

std::vector<TFontFace> PrinterFontFaces() {
    const std::wstring printer = DefaultPrinterName();
    if (printer.empty()) return {};
    DCHandle ic(CreateICW(nullptr, printer.c_str(), nullptr, nullptr));
    return EnumFontFaces(ic.get());
}

}  // namespace fw
