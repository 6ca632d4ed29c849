#pragma once
// Inside the document writer of TztCustomExport: the state of one document and
// the routines its format files share. Not for users of the component.
#include <string>
#include <vector>

#include "export/CustomExport.h"

struct TztCustomExport::Document {
    std::wstring fileName;
    // The document's lines (each ended by CR LF in the file; a line may hold
    // line breaks of its own) and the work lines of the step in hand.
    std::vector<std::wstring> lines;
    std::vector<std::wstring> workLines;
    int columnCount = 0;
    // Per column: exported, caption text, text width, width of the padded text.
    std::vector<bool> exported;
    std::vector<std::wstring> captions;
    std::vector<int> widths;
    std::vector<int> textWidths;
    // HTML: the line that names the character set.
    size_t metaLine = size_t(-1);
    // DIF: the line that counts the tuples, and the tuples written.
    size_t tuplesLine = 0;
    uint32_t tuples = 0;
};

// A plain decimal number whose shortest written form is the text itself.
bool ztPlainNumber(const std::wstring& Text, double& Value);
// The HTML name of a Windows code page ("windows-1252", "shift_jis", ...).
std::wstring ztHTMLCharsetName(unsigned CodePage);
// The head's content-type line naming the character set.
std::wstring ztHTMLMetaLine(const std::wstring& Charset);
// Puts Unicode text on the clipboard (emptied first); raises on failure.
void ztSetClipboardText(const std::wstring& Text);
