// Adds a PostScript printer and makes it the default. A fresh Wine prefix has no
// printer and no print server; this is how the test machine (and tools/run) gets one.
// Usage: add_test_printer.exe <port> [name] [--if-none], the port being a file path
// ("C:\print\out.ps") or a pipe that Wine runs through /bin/sh ("|cat >> /host/out.ps",
// which appends every job where a file port keeps only the last). With --if-none a
// prefix that has a printer already is left as it is (exit code 3).
#include <windows.h>
#include <winspool.h>
#include <cstdio>
#include <string>

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "add_test_printer: %s failed (%lu)\n", what, GetLastError());
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring port = argc > 1 ? argv[1] : L"C:\\print\\out.ps";
    const std::wstring printerName = argc > 2 ? argv[2] : L"Tabulorin Test Printer";
    const wchar_t* name = printerName.c_str();
    if (argc > 3 && std::wstring(argv[3]) == L"--if-none") {
        DWORD needed = 0, count = 0;
        EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &count);
        if (needed > 0) return 3;
    }
    const wchar_t* driver = L"Tabulorin Test PostScript";

    // Wine's PostScript driver carries a generic PPD as a resource of winspool.
    HMODULE spool = LoadLibraryExW(L"winspool.drv", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!spool) return fail("LoadLibraryEx(winspool.drv)");
    HRSRC res = FindResourceW(spool, MAKEINTRESOURCEW(1), L"PPDFILE");
    if (!res) return fail("FindResource(PPDFILE)");
    const void* data = LockResource(LoadResource(spool, res));
    const DWORD size = SizeofResource(spool, res);

    wchar_t dir[MAX_PATH];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir, &needed))
        return fail("GetPrinterDriverDirectory");
    const std::wstring ppd = std::wstring(dir) + L"\\tabulorin-test.ppd";
    HANDLE file = CreateFileW(ppd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail("CreateFile(ppd)");
    DWORD written = 0;
    WriteFile(file, data, size, &written, nullptr);
    CloseHandle(file);

    DRIVER_INFO_3W di{};
    di.cVersion = 3;
    di.pName = const_cast<wchar_t*>(driver);
    di.pEnvironment = nullptr;
    di.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    di.pDataFile = const_cast<wchar_t*>(ppd.c_str());
    di.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&di), APD_COPY_NEW_FILES))
        return fail("AddPrinterDriverEx");

    PRINTER_INFO_2W pi{};
    pi.pPrinterName = const_cast<wchar_t*>(name);
    pi.pPortName = const_cast<wchar_t*>(port.c_str());
    pi.pDriverName = const_cast<wchar_t*>(driver);
    pi.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    pi.pDatatype = const_cast<wchar_t*>(L"RAW");
    pi.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    HANDLE printer = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
    if (!printer) return fail("AddPrinter");
    SetPrinterDataW(printer, const_cast<wchar_t*>(L"PPD File"), REG_SZ,
                    reinterpret_cast<BYTE*>(const_cast<wchar_t*>(ppd.c_str())),
                    DWORD((ppd.size() + 1) * sizeof(wchar_t)));
    ClosePrinter(printer);
    if (!SetDefaultPrinterW(name)) return fail("SetDefaultPrinter");
    return 0;
}
