#pragma once
// The printer object: the process's one printer, reached through Printer(),
// created on first use and freed at exit (SetPrinter replaces it, for tests).
// It lists the installed printers and holds the chosen one with its device mode.
// Outside a document its Handle is an information context (measures, escapes and
// metafile references, no spooler job); BeginDoc opens a device context with a job,
// NewPage ends a page and starts the next, EndDoc sends the job and Abort discards
// it. Canvas draws on whichever context is current. Without any printer installed
// the list is empty, PrinterIndex is -1, HasPrinter answers false and every call
// that needs a device raises EPrinter "No printer is installed.".
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/StringList.h"

namespace fw {

class TPrinter;

// A canvas over the printer's current context; it follows the context as
// documents begin and end.
class TPrinterCanvas : public TCanvas {
public:
    explicit TPrinterCanvas(TPrinter* APrinter) : printer_(APrinter) {}

protected:
    void CreateHandle() override;
    std::wstring ClassName() const override { return L"TPrinterCanvas"; }

private:
    TPrinter* printer_;
};

class TPrinter : public TObject {
public:
    TPrinter();
    ~TPrinter() override;

    // The names of the installed printers (read again by Refresh).
    TStrings* Printers();
    void Refresh();
    bool HasPrinter() { return Printers()->Count() > 0; }
    // The chosen printer in Printers; -1 chooses the default one (or none).
    int PrinterIndex();
    void SetPrinterIndex(int Value);
    // The chosen printer's name, empty without a printer.
    std::wstring PrinterName();
    // The chosen printer's device mode (a copy), empty for the driver's default.
    std::vector<BYTE> DeviceMode() const { return devMode_; }
    // Chooses a printer by name with a device mode (from a print dialog); EPrinter
    // for an unknown name.
    void SetDevice(const std::wstring& Name, const std::vector<BYTE>& DevMode);

    // The job's title in the spooler.
    const std::wstring& Title() const { return title_; }
    void SetTitle(const std::wstring& Value) { title_ = Value; }

    // Opens a job and its first page; EPrinter while printing already.
    void BeginDoc();
    // Ends the page and starts the next; EPrinter when not printing.
    void NewPage();
    // Ends the last page and sends the job.
    void EndDoc();
    // Discards the job; nothing of it reaches the printer.
    void Abort();
    bool Printing() const { return printing_; }
    bool Aborted() const { return aborted_; }
    int PageNumber() const { return pageNumber_; }

    // The current context: the job's while printing, else the information context.
    HDC Handle();
    TCanvas* Canvas() { return canvas_.get(); }
    // The printable area in device pixels.
    int PageWidth() { return GetDeviceCaps(Handle(), HORZRES); }
    int PageHeight() { return GetDeviceCaps(Handle(), VERTRES); }

private:
    void RequirePrinter();
    void FreeContexts();
    const DEVMODEW* DevModePtr() const;

    std::unique_ptr<TStringList> printers_;
    bool listed_ = false;
    int index_ = -1;
    std::vector<BYTE> devMode_;
    std::wstring title_;
    DCHandle info_;
    DCHandle job_;
    bool printing_ = false;
    bool aborted_ = false;
    int pageNumber_ = 0;
    std::unique_ptr<TPrinterCanvas> canvas_;
};

// The process's printer object.
TPrinter* Printer();
// Replaces the printer object (the old one is freed) and returns the new one.
TPrinter* SetPrinter(TPrinter* NewPrinter);

}  // namespace fw
