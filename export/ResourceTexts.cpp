#include "export/ResourceTexts.h"

#include <windows.h>

#include <cwchar>

namespace zt {

namespace {

struct BuiltIn {
    unsigned id;
    const wchar_t* text;
};

constexpr BuiltIn kTexts[] = {
    {SztTrueText, L"True"},
    {SztFalseText, L"False"},
    {SztExportCaption, L"Export"},
    {SztExportButton, L"&Export"},
    {SztCancelButton, L"&Cancel"},
    {SztCreatedText, L"Created:"},
    {SztProcessingText, L"Processing..."},
    {SztSelectFormat, L"E&xport formats:"},
    {SztCopiedToClipboard, L"Data was copied to clipboard!"},
    {SztExportToFile, L"Export &to file"},
    {SztViewOnly, L"&View only"},
    {SztTempPrefix, L"Tbr"},
    {SztColumnName, L"Name %d"},
    {SztDefaultFontFace, L"Arial,Helvetica"},
    {SztExportingStringGrid, L"Exporting String Grid"},
    {SztNullText, L"** NULL **"},
    {SztSaveTitle, L"Save document"},
    {SztFilterHTML, L"HTML Documents"},
    {SztFilterExcel, L"Excel Files"},
    {SztFilterWord, L"Word Documents"},
    {SztFilterText, L"Text Files"},
    {SztFilterComma, L"CSV (Comma delimited)"},
    {SztFilterTab, L"Text (Tab delimited)"},
    {SztFilterRTF, L"Rich Text Format"},
    {SztFilterDIF, L"Data Interchange Format"},
    {SztFilterSYLK, L"SYLK Files"},
};

// HTML templates, in template order; per template the kinds ActiveLink,
// Background, DefaultLink, DefaultText, VisitedLink, HeaderBackground,
// HeadersFontColor, TableBackground, TableOddBackground, TableFontColor.
constexpr const wchar_t* kHTMLColors[8][10] = {
    {L"$00FF0000", L"$00FFFFFF", L"$000000FF", L"$00000000", L"$00FFFF00", L"$00336699", L"$00FFFFFF", L"$00FFFFCF",
     L"$00FFFFFF", L"$00000000"},
    {L"$00BBBBBB", L"$00FFFFFF", L"$00AAAAAA", L"$00000000", L"$00DDDDDD", L"$00000000", L"$00FFFFFF", L"$00FFFFFF",
     L"$00F3F3F3", L"$00000000"},
    {L"$00FF0000", L"$00339966", L"$000066CC", L"$00000000", L"$00923FC1", L"$00000000", L"$00FF0000", L"$00006BCE",
     L"$00007AEC", L"$00FFFFFF"},
    {L"$00FF0000", L"$00339966", L"$000066CC", L"$00000000", L"$00923FC1", L"$00CC0033", L"$00FFFFFF", L"$00FFFFFF",
     L"$00FAF100", L"$00FFFFFF"},
    {L"$00FFFF00", L"$00317676", L"$00DDE760", L"$00FFE760", L"$00CCCC39", L"$003A9393", L"$00FFFFFF", L"$00004040",
     L"$00000000", L"$00FFFFFF"},
    {L"$00FF0000", L"$00FFFFFF", L"$000000FF", L"$00000000", L"$00FFFF00", L"$00808080", L"$00FFFFFF", L"$00FFFFFF",
     L"$00EEEEEE", L"$00000000"},
    {L"$00FF0000", L"$00FFFFFF", L"$000000FF", L"$00000000", L"$00AABBAA", L"$00CEC6B5", L"$00000000", L"$00DEE7DE",
     L"$00FFFBF0", L"$00000080"},
    {L"$00FF0000", L"$00FFFFFF", L"$000000FF", L"$005F605F", L"$00FFFF00", L"$00CFC890", L"$00000000", L"$00FFFFFF",
     L"$00FFFFCF", L"$00000000"},
};

// RTF templates (blue, green, red), kinds header font, table background,
// header background, odd-row background; the other font colours are black.
constexpr const wchar_t* kRTFColors[4][4] = {
    {L"$00FFFFFF", L"$00FFFFFF", L"$00800000", L"$0000FF80"},
    {L"$000000FF", L"$00FF0000", L"$00000000", L"$00FF8080"},
    {L"$00FFFFFF", L"$00FFFFFF", L"$000000FF", L"$0000FF80"},
    {L"$00FFFFFF", L"$00FFFFFF", L"$00808080", L"$0080FF80"},
};

const wchar_t* BuiltInText(unsigned id) {
    for (const BuiltIn& t : kTexts)
        if (t.id == id) return t.text;
    if (id >= SztHTMLColorFirst && id < SztHTMLColorFirst + 80) {
        const unsigned i = id - SztHTMLColorFirst;
        return kHTMLColors[i / 10][i % 10];
    }
    if (id >= SztRTFColorFirst && id < SztRTFColorFirst + 16) {
        const unsigned i = id - SztRTFColorFirst;
        return kRTFColors[i / 4][i % 4];
    }
    return L"";
}

}  // namespace

std::wstring ztResourceText(unsigned Id) {
    // A translated table in the program's resources wins over the built-in text.
    const wchar_t* resource = nullptr;
    const int length = LoadStringW(GetModuleHandleW(nullptr), Id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length > 0 && resource) return std::wstring(resource, size_t(length));
    return BuiltInText(Id);
}

unsigned ztColorTextValue(const std::wstring& Text) {
    std::wstring digits = Text;
    if (!digits.empty() && digits[0] == L'$') digits.erase(0, 1);
    return unsigned(wcstoul(digits.c_str(), nullptr, 16));
}

}  // namespace zt
