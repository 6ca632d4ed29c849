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
#include "controls/VxFontComboBox.h"
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
#include "framework/Splitter.h"
#include "framework/StatusBar.h"
#include "framework/StdCtrls.h"
#include "framework/TreeView.h"
#include "shell/Pathfinch.h"
#include "shell/ZemBrowseForFolder.h"
#include "shell/ZemFileList.h"
#include "shell/ZemFolderCombo.h"
#include "shell/ZemShellLink.h"
#include "shell/ZemShellTree.h"

class TForm1 : public fw::TForm {
public:
    explicit TForm1(fw::TComponent* AOwner);
    ~TForm1() override;

    // --- The components, in the order of the window's definition ---
    fw::TPanel* pnlTop = nullptr;
    shell::TZemFolderCombo* ZFC = nullptr;
    fw::TSpeedButton* spIcons = nullptr;
    fw::TSpeedButton* spList = nullptr;
    fw::TSpeedButton* spReport = nullptr;
    fw::TPanel* Panel1 = nullptr;
    fw::TEdit* edMask = nullptr;
    shell::TZemShellTree* ZST = nullptr;
    fw::TSplitter* Splitter1 = nullptr;
    shell::TZemFileList* ZFL = nullptr;
    shell::TZemShellLink* ZemShellLink1 = nullptr;  // no code touches it
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
    vx::TVxFontComboBox* cbFont = nullptr;
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
    shell::TPathfinch* Pathfinch1 = nullptr;                    // no code uses it
    shell::TZemBrowseForFolder* ZemBrowseForFolder1 = nullptr;  // no code uses it

    // --- Handlers ---
    void FormCreate(fw::TObject* Sender);
    void FormShow(fw::TObject* Sender);

    // The listing request and what surrounds it.
    void ZSTChange(fw::TObject* Sender, fw::TTreeNode* Node);
    void RefreshFileList(fw::TObject* Sender);
    void ZFCChange(fw::TObject* Sender);
    // Published, fired by no control: the print caption takes the combo box's text.
    void ZSCChange(fw::TObject* Sender);
    void ZFLDblClick(fw::TObject* Sender);
    void StopSearchButtonClick(fw::TObject* Sender);
    void ZFLEndSearch();
    void cbSortClick(fw::TObject* Sender);
    void btnViewStyleClick(fw::TObject* Sender);

    // The output grid and the column boxes.
    void SetupGrid();
    void ClearGrid();
    void cbItemClick(fw::TObject* Sender);
    void cbSizeClick(fw::TObject* Sender);
    void cbTypeClick(fw::TObject* Sender);
    void cbDateClick(fw::TObject* Sender);
    void cbFilePathClick(fw::TObject* Sender);
    void cbHeadersClick(fw::TObject* Sender);
    void ZFLCreateColumns(fw::TObject* Sender);
    void ZFLChange(fw::TObject* Sender, fw::TListItem* Item, fw::TItemChange Change);
    void ZFLAdvancedCustomDraw(fw::TCustomListView* Sender, const RECT& ARect, fw::TCustomDrawStage Stage,
                               bool& DefaultDraw);

    // Save, preview and clipboard commands.
    void SaveasTextFileClick(fw::TObject* Sender);
    void SaveasHTMLClick(fw::TObject* Sender);
    void SaveasTabbedClick(fw::TObject* Sender);
    void SaveasCSVClick(fw::TObject* Sender);
    void SavetoClipboardClick(fw::TObject* Sender);
    void PreviewAsTextClick(fw::TObject* Sender);
    void PreviewAsHTMLClick(fw::TObject* Sender);
    void PreviewAsTABClick(fw::TObject* Sender);
    void PreviewAsCSVClick(fw::TObject* Sender);
    // What every output command does after its dialog: the grid prepared (its
    // caption row dropped), the export run with Style and Type (FileName for
    // xsFile), the grid emptied. The window takes no input while the export runs.
    void ExportListing(zt::TztExportStyle Style, zt::TztExportType Type, const std::wstring& FileName = L"");

    // Printing.
    void BtnPrintClick(fw::TObject* Sender);
    void btnPrintSetupClick(fw::TObject* Sender);

    // The folder the list searches: the tree's selected folder. Choosing another
    // one is a listing request.
    std::wstring ListingFolder();
    void SetListingFolder(const std::wstring& Path);

    // Status bar.
    void StatusBar1DrawPanel(fw::TStatusBar* StatusBar, fw::TStatusPanel* Panel, const RECT& Rect);
    void StatusBar1DblClick(fw::TObject* Sender);
    void ApplicationEvents1ShowHint(std::wstring& HintStr, bool& CanShow, fw::THintInfo& HintInfo);

    // The folder the first show lists ("c:\\"); tests point it at their own folder.
    static std::wstring StartFolder;

    // The contact links of the status bar.
    static const wchar_t* const ContactMail;
    static const wchar_t* const ContactWeb;
    // The shell's open call for the contact links (ShellExecuteW with verb "open"):
    // replaceable, so tests open no mail program or browser.
    static std::function<void(HWND Parent, const std::wstring& Address)> ShellOpenHook;

    // False until the first FormShow sets it; never cleared. While it is false,
    // listing requests only set the list's columns to auto-size. Only FormShow writes it.
    bool FormShown = false;

private:
    // Makes, places and wires every component, in the order of the definition.
    void CreateComponents();
    void CreateTopPanel();
    void CreateFolderViews();
    void CreateBottomPanel();
    void CreateOutputOptions();
    void CreateSortOptions();
    void CreateSearchOptions();
    void CreateStatusBar();
    void CreateMenus();
    void CreateOutput();
    // Opens a contact link through ShellOpenHook or the shell.
    static void ShellOpen(HWND Parent, const std::wstring& Address);

    void WndProc(fw::TMessage& Message) override;

    // The window's own parts of the listing request.
    void StartListing();
    // One search per named object of the selected combo entry's special folder;
    // Started counts them as they start (also when the walk fails part-way).
    void SearchSpecialFolder(int& Started);
    // The folder of the last request when the system could not find it (empty
    // otherwise); the window says so once the request is over.
    std::wstring missingFolder_;
    void ShowMissingFolder();
    // Output.
    // The font of the output grid and the printed caption: the font combo box's own font.
    fw::TFont* OutputFont() const { return cbFont->Font(); }
    std::wstring OutputName(shell::TZemFileListItem* Item) const;
    void AddCaptionRow(fw::TCheckBox* const (&Boxes)[5]);
    void SetBoxColumn(int Field, int Width);
    int FullPathColumn() const;
    fw::TCheckBox* BoxOfColumn(const std::wstring& Caption) const;
    bool ColumnBoxesOutOfStep() const;
    void SyncColumnBoxes();
    // Commands.
    void SetupExport();
    void BindCommands();
    void PrepareOutput();
    void SaveCommand(const wchar_t* DefaultExt, const wchar_t* Filter, zt::TztExportType Type);
    void SaveWithDialog(const wchar_t* DefaultExt, const wchar_t* Filter, zt::TztExportType Type);
    void SGEXportFileExist(const std::wstring& FileName, bool& CanOverWrite);
    void SGEXportError(zt::TztExportError Error);

    // The captions the four column boxes took from list columns 1 to 4 at the
    // first show: the boxes find their columns by them.
    std::wstring boxCaptions_[4];
    // The user refused to replace a file in the export now running.
    bool exportRefused_ = false;
    // An output or print command is running (its dialog or a question of it may
    // be open): no other command starts meanwhile.
    bool commandRunning_ = false;
    // Runs Command unless another command is running.
    void RunCommand(const std::function<void()>& Command);
    // A change of the column boxes is waiting to run after the list's paint.
    bool columnSyncPosted_ = false;
};

// The main window, once the application has created it.
extern TForm1* Form1;

// Whether Path names a directory (false when its attributes cannot be read).
bool IsDirectory(const std::wstring& Path);

// Posted to the main window to bring the column boxes in step with the list.
constexpr UINT CM_SYNCCOLUMNBOXES = WM_APP + 1;
// Posted to the main window to show the busy cursor while a listing runs.
constexpr UINT CM_SHOWLISTINGBUSY = WM_APP + 2;
// Posted to the main window to say that the folder of a listing request cannot be found.
constexpr UINT CM_FOLDERNOTFOUND = WM_APP + 3;
