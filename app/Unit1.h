#pragma once
// The main window. The application creates it first (so it is the main form) and
// owns it; closing it ends the program. The window owns every component placed
// on it; CreateComponents makes and places them all, in one place, in the order
// of the window's definition, and binds their events to the handlers below.
// Every change of folder or listing option is one listing request; every output
// command copies the listing into the hidden grid MyGrid and hands it on.
#include <functional>
#include <string>

#include "controls/VxArrowButton.h"
#include "controls/VxStringGrid.h"
#include "export/StringGridExport.h"
#include "framework/AppEvents.h"
#include "framework/Buttons.h"
#include "framework/Dialogs.h"
#include "framework/Edit.h"
#include "framework/Forms.h"
#include "framework/GroupBox.h"
#include "framework/ImageList.h"
#include "framework/Label.h"
#include "framework/Menus.h"
#include "framework/Panel.h"
#include "framework/SpeedButton.h"
#include "framework/StatusBar.h"
#include "framework/StdCtrls.h"

class TForm1 : public fw::TForm {
public:
    explicit TForm1(fw::TComponent* AOwner);
    ~TForm1() override;

    // --- The components, in the order of the window's definition ---
    fw::TPanel* pnlTop = nullptr;
    fw::TSpeedButton* spIcons = nullptr;
    fw::TSpeedButton* spList = nullptr;
    fw::TSpeedButton* spReport = nullptr;
    fw::TPanel* Panel1 = nullptr;
    fw::TEdit* edMask = nullptr;
    fw::TPanel* pnlBottom = nullptr;
    fw::TGroupBox* GroupBox1 = nullptr;
    fw::TLabel* Label1 = nullptr;
    fw::TEdit* edPrintCaption = nullptr;
    fw::TCheckBox* cbItem = nullptr;
    fw::TCheckBox* cbSize = nullptr;
    fw::TCheckBox* cbType = nullptr;
    fw::TCheckBox* cbDate = nullptr;
    fw::TCheckBox* cbFilePath = nullptr;
    fw::TCheckBox* cbExt = nullptr;
    vx::TVxArrowButton* BtnSave = nullptr;
    vx::TVxArrowButton* btnPreview = nullptr;
    vx::TVxArrowButton* BtnPrint = nullptr;
    fw::TCheckBox* cbPrintGrid = nullptr;
    fw::TGroupBox* GroupBox2 = nullptr;
    fw::TCheckBox* cbSort = nullptr;
    fw::TComboBox* gpSort = nullptr;
    fw::TRadioButton* btnAscend = nullptr;
    fw::TRadioButton* btnDescend = nullptr;
    fw::TGroupBox* GroupBox3 = nullptr;
    fw::TCheckBox* SearchSubfoldes = nullptr;
    fw::TCheckBox* SearchFilesOnly = nullptr;
    fw::TCheckBox* cbHidden = nullptr;
    fw::TCheckBox* cbHeaders = nullptr;
    fw::TImageList* ToolBarImageList = nullptr;
    fw::TButton* StopSearchButton = nullptr;
    fw::TStatusBar* StatusBar1 = nullptr;
    fw::TPopupMenu* PopupMenu1 = nullptr;
    fw::TMenuItem* btnPrintSetup = nullptr;
    fw::TMenuItem* PrintBtn = nullptr;
    fw::TPopupMenu* MnSave = nullptr;
    fw::TMenuItem* SaveasTextFile = nullptr;
    fw::TMenuItem* SaveasHTML = nullptr;
    fw::TMenuItem* SaveasTabbed = nullptr;
    fw::TMenuItem* SaveasCSV = nullptr;
    fw::TMenuItem* SavetoClipboard = nullptr;
    fw::TPopupMenu* MnPreview = nullptr;
    fw::TMenuItem* PreviewAsText = nullptr;
    fw::TMenuItem* PreviewAsHTML = nullptr;
    fw::TMenuItem* PreviewAsTAB = nullptr;
    fw::TMenuItem* PreviewAsCSV = nullptr;
    fw::TSaveDialog* DlgSave = nullptr;
    fw::TPrinterSetupDialog* PrinterSetupDialog1 = nullptr;
    fw::TPrintDialog* PrintDialog1 = nullptr;  // no code uses it
    vx::TVxStringGrid* MyGrid = nullptr;
    zt::TztStringGridExport* SGEXport = nullptr;
    fw::TApplicationEvents* ApplicationEvents1 = nullptr;

    // --- Handlers ---
    void FormCreate(fw::TObject* Sender);
    void FormShow(fw::TObject* Sender);

    // Printing.
    void btnPrintSetupClick(fw::TObject* Sender);

    // Status bar.
    void StatusBar1DrawPanel(fw::TStatusBar* StatusBar, fw::TStatusPanel* Panel, const RECT& Rect);
    void StatusBar1DblClick(fw::TObject* Sender);
    void ApplicationEvents1ShowHint(std::wstring& HintStr, bool& CanShow, fw::THintInfo& HintInfo);

    // The contact links of the status bar.
    static const wchar_t* const ContactMail;
    static const wchar_t* const ContactWeb;
    // The shell's open call for the contact links (ShellExecuteW with verb "open"):
    // replaceable, so tests open no mail program or browser.
    static std::function<void(HWND Parent, const std::wstring& Address)> ShellOpenHook;

private:
    // Makes, places and wires every component, in the order of the definition.
    void CreateComponents();
    void CreateTopPanel();
    void CreateBottomPanel();
    void CreateOutputOptions();
    void CreateSortOptions();
    void CreateSearchOptions();
    void CreateStatusBar();
    void CreateMenus();
    void CreateOutput();
    // Opens a contact link through ShellOpenHook or the shell.
    static void ShellOpen(HWND Parent, const std::wstring& Address);

    // Set once by the first FormShow: listing requests before it only set the
    // columns to auto-size.
    bool formShown_ = false;
};

// The main window, once the application has created it.
extern TForm1* Form1;
