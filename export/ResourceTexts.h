#pragma once
// The export library's own texts, each under a string identifier so that a
// translated string table in the program's resources can replace it. A text is
// looked up in the running module's string table first; the built-in English
// text is used when the module carries none.
#include <string>

namespace zt {

enum TztTextId : unsigned {
    SztTrueText = 65024,
    SztFalseText = 65025,
    SztExportCaption = 65026,
    SztExportButton = 65027,
    SztCancelButton = 65028,
    SztCreatedText = 65029,
    SztProcessingText = 65030,
    SztSelectFormat = 65031,
    SztCopiedToClipboard = 65032,
    SztExportToFile = 65033,
    SztViewOnly = 65034,
    SztTempPrefix = 65035,
    SztColumnName = 65036,
    SztDefaultFontFace = 65037,
    SztExportingStringGrid = 65054,
    SztNullText = 65055,
    SztSaveTitle = 64941,
    SztFilterHTML = 64942,
    SztFilterExcel = 64943,
    SztFilterWord = 64912,
    SztFilterText = 64913,
    SztFilterComma = 64914,
    SztFilterTab = 64915,
    SztFilterRTF = 64916,
    SztFilterDIF = 64917,
    SztFilterSYLK = 64918,
    // The template colours have a number range of their own, below every text's:
    // a colour read from a text's number would be that text taken as hexadecimal.
    // Colours of the HTML templates: first + template * 10 + kind (80 numbers).
    SztHTMLColorFirst = 64816,
    // Colours of the RTF templates (kinds 1, 3, 4, 5): first + template * 4 + slot.
    SztRTFColorFirst = 64896,
    SztColorLast = 64911,
};

// The text of Id: from the module's string table when present, else built in.
// Unknown identifiers give an empty text.
std::wstring ztResourceText(unsigned Id);

// A colour text of the form "$00BBGGRR" (or any "$" hexadecimal) as a number.
unsigned ztColorTextValue(const std::wstring& Text);

}  // namespace zt
