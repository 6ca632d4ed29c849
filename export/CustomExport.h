#pragma once
// TztCustomExport: the export component. It holds every setting of an export and
// performs a run (Execute): it writes the rows of a tabular source as a document
// of one of ten formats to a named file, or to a fresh temporary file that it
// then opens with the shell, or puts them on the clipboard as text. The source is
// reached only through the virtual data operations below, which a descendant
// implements for one kind of source (TztStringGridExport for a string grid).
//
// A component: heap-allocated with an owner that frees it. It owns its option
// objects, string lists, spreadsheet writer and two small windows; the windows
// get their handles only when first shown, so a component works with no display.
// Everything runs on the calling (main) thread. Failures never reach the caller:
// they are reported through OnError.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/ExportDocument.h"
#include "export/ExportOptions.h"
#include "export/ExportTypes.h"
#include "export/NativeExcel.h"
#include "framework/Classes.h"
#include "framework/StringList.h"
#include "framework/Streams.h"

namespace zt {

class Tfrm_ProgressForm;
class Tfrm_Selection;
class TztFormatWriter;
class TztCustomExport : public fw::TComponent {
public:
    explicit TztCustomExport(fw::TComponent* AOwner);
    ~TztCustomExport() override;
    // The published settings, for the owning form's stream (ExportStreaming.cpp).
    void DefineProperties(fw::TFiler& Filer) override;

    // --- Settings ---
    // Texts of the caption row, one per column (first choice over the source's).
    fw::TStrings* Captions() const { return captions_.get(); }
    void SetCaptions(fw::TStrings* Value) { captions_->Assign(Value); }
    // Text widths of the columns (and the HTML WIDTH attribute), one per column.
    fw::TStrings* ColumnWidths() const { return columnWidths_.get(); }
    void SetColumnWidths(fw::TStrings* Value) { columnWidths_->Assign(Value); }
    // The chosen type is always a member of ExportTypes.
    TztExportTypeSet ExportTypes() const { return exportTypes_; }
    void SetExportTypes(TztExportTypeSet Value);
    TztExportType ExportType() const { return exportType_; }
    void SetExportType(TztExportType Value);
    const std::wstring& FileName() const { return fileName_; }
    void SetFileName(const std::wstring& Value) { fileName_ = Value; }
    TztHTMLOptions* HTML() const { return html_.get(); }
    TztRTFOptions* DOC_RTF() const { return docRtf_.get(); }
    TztExcelOptions* EXCEL() const { return excel_.get(); }
    TztExportStyle ExportStyle() const { return exportStyle_; }
    void SetExportStyle(TztExportStyle Value) { exportStyle_ = Value; }
    // The folder of temporary files; the system's temporary folder by default.
    const std::wstring& TempDir() const { return tempDir_; }
    void SetTempDir(const std::wstring& Value);
    // Whether TempDir differs from the default (and so belongs to a stored form).
    bool TempDirStored() const;
    TztExportOptionSet Options() const { return options_; }
    void SetOptions(TztExportOptionSet Value) { options_ = Value; }
    TztMessagesOptions* Messages() const { return messages_.get(); }
    const std::wstring& TruncateSymbol() const { return truncateSymbol_; }
    void SetTruncateSymbol(const std::wstring& Value) { truncateSymbol_ = Value; }
    // Must contain "%d", which the row number replaces (the rest is literal);
    // any other text is refused with a message and the old value stays.
    const std::wstring& RowNumberFormat() const { return rowNumberFormat_; }
    void SetRowNumberFormat(const std::wstring& Value);
    // Stored only; no output reads them.
    const std::wstring& DateFormat() const { return dateFormat_; }
    void SetDateFormat(const std::wstring& Value) { dateFormat_ = Value; }
    const std::wstring& TimeFormat() const { return timeFormat_; }
    void SetTimeFormat(const std::wstring& Value) { timeFormat_ = Value; }
    const std::wstring& DateTimeFormat() const { return dateTimeFormat_; }
    void SetDateTimeFormat(const std::wstring& Value) { dateTimeFormat_ = Value; }
    // "2.38"; writing it changes nothing.
    std::wstring Version() const;
    void SetVersion(const std::wstring&) {}

    TztNativeExcel* ExcelWriter() const { return excelWriter_; }
    Tfrm_ProgressForm* ProgressForm() const { return progressForm_; }
    Tfrm_Selection* SelectionForm() const { return selectionForm_; }

    // --- Events ---
    fw::TNotifyEvent OnBeginExport;
    fw::TNotifyEvent OnEndExport;
    TEventOnGetHeader OnGetHeader;
    TEventOnGetFooter OnGetFooter;
    TEventOnError OnError;
    TEventOnGetExtension OnGetExtension;
    TEventOnExport OnExport;
    TEventOnFileExist OnFileExist;

    // --- Run ---
    // A run takes its type, style, file name and options as it starts; changing
    // them during the run changes the next one. While it runs, the form that owns
    // the component takes no input, and a run asked for meanwhile is not started.
    void Execute();
    bool Running() const { return running_; }
    // Opens the file with its associated program, without activating it; a
    // failure is reported through OnError (xeViewFailed).
    void ViewDocument(const std::wstring& FileName);
    // The file the last view opened (or tried to), and the shell's answer (above
    // 32 on success; SE_ERR_NOASSOC when no program opens that kind of file).
    const std::wstring& ViewedFileName() const { return viewedFileName_; }
    intptr_t ViewResult() const { return viewResult_; }
    // Upper case, without the point ("HTML", "XLS", "TXT", ...).
    std::wstring GetDefaultExtension() const;
    // Writes one whole document to FileName (no file for the clipboard).
    void WriteDocument(const std::wstring& FileName);

    // The shell's open call (ShellExecuteW with the default verb): replaceable, so
    // tests open no viewer. Returns the shell's result (above 32 on success).
    static std::function<intptr_t(HWND Parent, const std::wstring& FileName, const std::wstring& Directory,
                                  int ShowCommand)>
        ViewerHook;

    // --- Pieces of the document writer ---
    // While a document is written: one row of values as the text of that row in
    // the chosen format; the header (IsHeader) or footer rule; the text table's
    // width. Empty (0) outside a document.
    std::wstring WriteRow(const TztValues& Values, bool IsHeader, bool RowNumbers);
    std::wstring GetSeparatorLine(bool IsHeader) const;
    int GetTextTableWidth() const;
    // A value's text, truncated to Width with xoTruncate.
    std::wstring CellText(const TztVariant& Value, int Width) const;
    // HTML: colour of a kind (0 ActiveLink ... 9 TableFontColor) as "#RRGGBB",
    // face of a kind (0 default, 1 table); whether a text holds a link scheme.
    std::wstring GetHTMLColor(int Kind) const;
    std::wstring GetHTMLFontFace(int Kind) const;
    static bool IsLink(const std::wstring& Text);
    // RTF: colour of a kind (0 default font ... 5 odd-row background) as a colour
    // value; its colour-table entry; a font-table entry; a font's style words.
    fw::TColor GetRTFColor(int Kind) const;
    std::wstring WriteRTFColor(int Kind) const;
    static std::wstring WriteRTFFontTable(int Index, fw::TFont* Font);
    static std::wstring GetRTFFontStyle(fw::TFont* Font);
    // Appends Text to the output stream, one byte per character in the ANSI code
    // page (while a document is written, behind what its writer holds back).
    void WriteStream(const std::wstring& Text);
    // The stream the RTF and word-processor documents pass through on their way
    // to the file; it holds the last one until the next one begins.
    fw::TMemoryStream* OutputStream() const { return outputStream_.get(); }

protected:
    // --- Data operations of the source ---
    virtual void BeforeExport() {}
    virtual void AfterExport() {}
    // Moves the current row to the first row of data.
    virtual void FirstRow() = 0;
    // 0 none, 1 left, 2 right, 3 centre.
    virtual int ColumnAlignment(int Col);
    virtual bool SourceAssigned() = 0;
    virtual bool EndOfRows() = 0;
    virtual bool ColumnExported(int Col) = 0;
    virtual bool RowSelected(int Row) = 0;
    virtual int NaturalColumnWidth(int Col) = 0;
    // The natural width as the line formats write the column (each tab, CR, LF
    // or CR LF as one blank): what a padded column must hold. The natural width
    // unless the source knows better.
    virtual int NaturalLineWidth(int Col) { return NaturalColumnWidth(Col); }
    virtual std::wstring ColumnCaption(int Col) = 0;
    // Measures the columns for this document; returns the column count.
    virtual int PrepareColumns() = 0;
    virtual TztValues GetRowValues() = 0;
    // The current row's values into Values, whose texts a source may refill in
    // place (the row loop hands the same array back each row); GetRowValues by default.
    virtual void GetRowValuesInto(TztValues& Values) { Values = GetRowValues(); }
    virtual int GetRowCount() = 0;

    // The source row being visited; the source moves it, the engine raises it.
    uint32_t CurrentRow() const { return counters_.currentRow; }
    void SetCurrentRow(uint32_t Value) { counters_.currentRow = Value; }
    uint32_t RecordCount() const { return counters_.recordCount; }
    uint32_t ExportedCount() const { return counters_.exportedCount; }

    std::wstring ClassName() const override { return L"TztCustomExport"; }
    // The class name the DIF and SYLK heads carry.
    std::wstring ExportClassName() const { return ClassName(); }
    // The painter of the format-selection window's icon box.
    void GetFormatIcon(HDC DC);

private:
    void Error(TztExportError Code);
    // The window of the form that owns the component (its boxes' owner); null without one.
    HWND OwnerFormWindow() const;
    void ShowMessage(const std::wstring& Text, unsigned Flags);
    // The extension of a type, upper case, without the point.
    std::wstring DefaultExtension(TztExportType Type) const;
    bool MakeTarget(const TztDocumentSettings& Run, TztExportStyle Style, std::wstring& Target);
    void SetupProgress();
    void CloseProgress();

    // The writer's steps (the document flow, whatever the format). A run hands
    // down the settings it took as it started (Run); without them the
    // document takes the component's settings of its own start.
    void WriteDocument(const std::wstring& FileName, const TztDocumentSettings* Run);
    void WriteDocumentBody(const TztDocumentSettings& Settings);
    bool ConfirmOverwrite(const std::wstring& FileName);
    TztDocumentSettings DocumentSettings(const std::wstring& FileName);
    // The document's columns: exported or not, caption, alignment and widths.
    void PrepareColumnTexts();
    // The text width of a column of the document: its ColumnWidths line where
    // that is a whole number, otherwise its natural width (in padded formats the
    // width of the column as written).
    int GetColumnWidth(int Col);
    TztValues CaptionValues() const;
    void WriteRows(TztFormatWriter& Writer);

    std::unique_ptr<fw::TStringList> captions_;
    std::unique_ptr<fw::TStringList> columnWidths_;
    TztExportTypeSet exportTypes_ = AllExportTypes;
    TztExportType exportType_ = xtExcel;
    std::wstring fileName_;
    std::unique_ptr<TztHTMLOptions> html_;
    std::unique_ptr<TztRTFOptions> docRtf_;
    std::unique_ptr<TztExcelOptions> excel_;
    std::unique_ptr<fw::TMemoryStream> outputStream_;
    TztExportStyle exportStyle_ = xsView;
    std::wstring tempDir_;
    TztExportOptionSet options_{xoClipboardMessage, xoFooterLine,   xoHeaderLine,   xoShowExportDate,
                                xoShowHeader,       xoShowProgress, xoUseAlignments};
    std::unique_ptr<TztMessagesOptions> messages_;
    std::wstring truncateSymbol_ = L"...";
    std::wstring rowNumberFormat_ = L"%d";
    std::wstring dateFormat_, timeFormat_, dateTimeFormat_;
    TztNativeExcel* excelWriter_ = nullptr;  // owned as a component
    Tfrm_ProgressForm* progressForm_ = nullptr;
    Tfrm_Selection* selectionForm_ = nullptr;

    TztRowCounters counters_;
    bool written_ = false;  // the last document reached its file or the clipboard
    bool running_ = false;  // inside Execute
    std::wstring viewedFileName_;
    intptr_t viewResult_ = 0;

    // Per document (set inside WriteDocument only).
    std::unique_ptr<TztExportDocument> doc_;
    std::unique_ptr<TztFormatWriter> writer_;
};

}  // namespace zt
