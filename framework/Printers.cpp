#include "framework/Printers.h"

#include <winspool.h>

#include "framework/Exception.h"

namespace fw {

namespace {

const wchar_t kNoPrinter[] = L"No printer is installed.";

std::unique_ptr<TPrinter>& PrinterSlot() {
    static std::unique_ptr<TPrinter> printer;
    return printer;
}

std::wstring DefaultPrinterName() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return {};
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size)) return {};
    name.resize(wcslen(name.c_str()));
    return name;
}

}  // namespace

void TPrinterCanvas::CreateHandle() {
    SetHandle(printer_->Handle());
}

TPrinter::TPrinter() : printers_(std::make_unique<TStringList>()), canvas_(std::make_unique<TPrinterCanvas>(this)) {}

TPrinter::~TPrinter() {
    if (printing_) Abort();
    canvas_->SetHandle(nullptr);
}

TStrings* TPrinter::Printers() {
    if (listed_) return printers_.get();
    listed_ = true;
    printers_->Clear();
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersW(flags, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed == 0) return printers_.get();
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersW(flags, nullptr, 4, buffer.data(), needed, &needed, &count)) return printers_.get();
    const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) printers_->Add(info[i].pPrinterName);
    return printers_.get();
}

void TPrinter::Refresh() {
    const std::wstring chosen = index_ >= 0 && index_ < printers_->Count() ? printers_->Strings(index_) : L"";
    listed_ = false;
    Printers();
    index_ = chosen.empty() ? -1 : printers_->IndexOf(chosen);
    if (index_ < 0) devMode_.clear();
    FreeContexts();
}

int TPrinter::PrinterIndex() {
    if (index_ < 0 && HasPrinter()) {
        index_ = printers_->IndexOf(DefaultPrinterName());
        if (index_ < 0) index_ = 0;
    }
    return index_;
}

void TPrinter::SetPrinterIndex(int Value) {
    if (printing_) throw EPrinter(L"Printing in progress");
    if (Value < -1 || Value >= Printers()->Count()) throw EPrinter(L"Printer selected is not valid");
    index_ = Value;
    devMode_.clear();
    FreeContexts();
}

std::wstring TPrinter::PrinterName() {
    const int index = PrinterIndex();
    return index < 0 ? std::wstring() : printers_->Strings(index);
}

void TPrinter::SetDevice(const std::wstring& Name, const std::vector<BYTE>& DevMode) {
    const int index = Printers()->IndexOf(Name);
    if (index < 0) throw EPrinter(L"Printer selected is not valid");
    SetPrinterIndex(index);
    if (DevMode.size() >= offsetof(DEVMODEW, dmFields)) devMode_ = DevMode;
}

const DEVMODEW* TPrinter::DevModePtr() const {
    return devMode_.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(devMode_.data());
}

void TPrinter::RequirePrinter() {
    if (PrinterIndex() < 0) throw EPrinter(kNoPrinter);
}

HDC TPrinter::Handle() {
    if (printing_) return job_.get();
    if (!info_) {
        RequirePrinter();
        const std::wstring name = PrinterName();
        info_.reset(CreateICW(L"WINSPOOL", name.c_str(), nullptr, DevModePtr()));
        if (!info_) throw EPrinter(L"Printer \"" + name + L"\" cannot be opened: " + SysErrorMessage(GetLastError()));
    }
    return info_.get();
}

void TPrinter::BeginDoc() {
    if (printing_) throw EPrinter(L"Printing in progress");
    RequirePrinter();
    const std::wstring name = PrinterName();
    DCHandle dc(CreateDCW(L"WINSPOOL", name.c_str(), nullptr, DevModePtr()));
    if (!dc) throw EPrinter(L"Printer \"" + name + L"\" cannot be opened: " + SysErrorMessage(GetLastError()));
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = title_.c_str();
    if (StartDocW(dc.get(), &doc) <= 0) throw EPrinter(L"Printing cannot start: " + SysErrorMessage(GetLastError()));
    if (StartPage(dc.get()) <= 0) {
        AbortDoc(dc.get());
        throw EPrinter(L"Printing cannot start: " + SysErrorMessage(GetLastError()));
    }
    canvas_->SetHandle(nullptr);
    job_ = std::move(dc);
    printing_ = true;
    aborted_ = false;
    pageNumber_ = 1;
}

void TPrinter::NewPage() {
    if (!printing_) throw EPrinter(L"Printer is not currently printing");
    canvas_->Refresh();  // a new page starts with the context's own tools
    EndPage(job_.get());
    StartPage(job_.get());
    ++pageNumber_;
}

void TPrinter::EndDoc() {
    if (!printing_) throw EPrinter(L"Printer is not currently printing");
    canvas_->SetHandle(nullptr);
    EndPage(job_.get());
    const bool sent = ::EndDoc(job_.get()) > 0;
    job_.reset();
    printing_ = false;
    pageNumber_ = 0;
    if (!sent) throw EPrinter(L"The print job could not be sent: " + SysErrorMessage(GetLastError()));
}

void TPrinter::Abort() {
    if (!printing_) return;
    canvas_->SetHandle(nullptr);
    AbortDoc(job_.get());
    job_.reset();  // deleting the context discards the job even where AbortDoc leaves it open
    printing_ = false;
    aborted_ = true;
    pageNumber_ = 0;
}

void TPrinter::FreeContexts() {
    if (!printing_) canvas_->SetHandle(nullptr);
    info_.reset();
}

TPrinter* Printer() {
    auto& slot = PrinterSlot();
    if (!slot) slot = std::make_unique<TPrinter>();
    return slot.get();
}

TPrinter* SetPrinter(TPrinter* NewPrinter) {
    PrinterSlot().reset(NewPrinter);
    return NewPrinter;
}

}  // namespace fw
