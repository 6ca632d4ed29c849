#include "support/ZurBase.h"

#include "support/ZurUnitVersioning.h"

#include <windows.h>

namespace zur {

EZurWin32Error::EZurWin32Error(const std::wstring& Msg)
    : EZurError(std::wstring()), errorCode_(GetLastError()), errorText_(fw::SysErrorMessage(errorCode_)) {
    SetMessage(Msg + L"\r\nWin32: " + errorText_ + L" (" + std::to_wstring(errorCode_) + L")");
}

namespace {

const TUnitVersionInfo UnitVersion = {L"$URL: ZUR/source/common/ZurBase.cpp $",
                                      L"$Revision: 3 $",
                                      L"$Date: 2024-03-11 09:12:40 +0100 $",
                                      L"ZUR\\source\\common",
                                      L"",
                                      nullptr};

TUnitStartCounter StartCounter;

}  // namespace

void ZurBaseInitialize() {
    if (StartCounter.Enter()) RegisterUnitVersion(ModuleInstance(), UnitVersion);
}

void ZurBaseFinalize() {
    if (StartCounter.Leave()) UnregisterUnitVersion(ModuleInstance());
}

}  // namespace zur
