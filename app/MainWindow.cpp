#include "app/MainWindow.h"

#include "app/Glyphs.h"
#include "app/PrintLayout.h"
#include "app/PrintPreview.h"
#include "framework/Application.h"
#include "framework/Printers.h"

TForm1* Form1 = nullptr;

const wchar_t* const TForm1::ContactMail = L"tabulorin@brenmoor.example";
const wchar_t* const TForm1::ContactWeb = L"https://brenmoor.example/tabulorin";
std::function<void(HWND, const std::wstring&)> TForm1::ShellOpenHook;
std::wstring TForm1::StartFolder = L"c:\\";

namespace {

// A control of the window: made with the form as owner, placed in Parent.
template <class T>
T* Place(fw::TComponent* Owner, fw::TWinControl* Parent, int Left, int Top, int Width, int Height) {
    T* control = new T(Owner);
    control->SetParent(Parent);
    control->SetBounds(Left, Top, Width, Height);
    return control;
}

fw::TCheckBox* PlaceCheckBox(fw::TComponent* Owner, fw::TWinControl* Parent, int Left, int Top, int Width,
                             const wchar_t* Caption, bool Checked) {
    auto* box = Place<fw::TCheckBox>(Owner, Parent, Left, Top, Width, 17);
    box->SetCaption(Caption);
    // Set before any handler is bound: the default is no click.
    box->SetChecked(Checked);
    return box;
}

fw::TMenuItem* AddItem(fw::TComponent* Owner, fw::TMenuItem* Parent, const wchar_t* Caption, int GroupIndex) {
    auto* item = new fw::TMenuItem(Owner);
    item->SetCaption(Caption);
    item->SetGroupIndex(GroupIndex);
    Parent->Add(item);
    return item;
}

}  // namespace

TForm1::TForm1(fw::TComponent* AOwner) : fw::TForm(AOwner) {
    SetClientSize(723, 459);
    Font()->SetName(L"Tahoma");
    Font()->SetHeight(-11);
    SetShowHint(true);
    CreateComponents();
    OnCreate = [this](fw::TObject* Sender) { FormCreate(Sender); };
    OnShow = [this](fw::TObject* Sender) { FormShow(Sender); };
}

TForm1::~TForm1() {
    // The handlers use the components: they run while everything is still there.
    BeforeDestruction();
    // A search still running ends here, before any component goes: its end and
    // the components' own last notices reach no handler of a window going away.
    ZFL->OnEndSearch = nullptr;
    ZFL->OnChange = nullptr;
    ZFL->OnAdvancedCustomDraw = nullptr;
    ZFL->OnAddItem = nullptr;
    ZFL->StopSearch();
    ZST->OnChange = nullptr;
    ZFC->OnChange = nullptr;
    DestroyComponents();
}

// --- The window's definition --------------------------------------------------------

void TForm1::CreateComponents() {
    CreateTopPanel();
    CreateFolderViews();
    CreateBottomPanel();
    CreateMenus();
    CreateOutput();
}

void TForm1::CreateTopPanel() {
    pnlTop = Place<fw::TPanel>(this, this, 0, 0, 723, 27);
    pnlTop->SetAlign(fw::alTop);
    pnlTop->SetBevelOuter(fw::bvNone);

    ZFC = Place<shell::TZemFolderCombo>(this, pnlTop, 0, 2, 400, 22);
    ZFC->SetAlign(fw::alClient);
    ZFC->SetIncludeDrives(true);
    ZFC->SetIncludeMyDocuments(true);
    ZFC->SetIncludeRemovableDrives(true);
    ZFC->Font()->SetName(L"Segoe UI");
    ZFC->Font()->SetHeight(-12);
    ZFC->SetItemHeight(16);
    ZFC->OnChange = [this](fw::TObject* Sender) { ZFCChange(Sender); };

    // Right-aligned controls line up from the right edge in the order they are
    // made: the view buttons first (Report outermost), then the mask edit and its label.
    const wchar_t* const hints[] = {L"Icons", L"List", L"Report"};
    fw::TSpeedButton** buttons[] = {&spIcons, &spList, &spReport};
    for (int tag = 3; tag >= 1; --tag) {
        auto* button = Place<fw::TSpeedButton>(this, pnlTop, 0, 1, 25, 25);
        button->SetAlign(fw::alRight);
        button->SetGroupIndex(7);
        button->SetTag(tag);
        button->SetHint(hints[tag - 1]);
        button->SetGlyph(ViewStyleGlyph(tag).get());
        button->OnClick = [this](fw::TObject* Sender) { btnViewStyleClick(Sender); };
        *buttons[tag - 1] = button;
    }

    edMask = Place<fw::TEdit>(this, pnlTop, 0, 0, 99, 27);
    edMask->SetAlign(fw::alRight);
    edMask->SetAlignment(fw::taCenter);
    edMask->Font()->SetName(L"Tahoma");
    edMask->Font()->SetHeight(-13);
    edMask->SetText(L"*");
    edMask->SetHint(L"Seperate Filters with ; I.e *.txt;*.doc");
    edMask->OnChange = [this](fw::TObject* Sender) { RefreshFileList(Sender); };

    Panel1 = Place<fw::TPanel>(this, pnlTop, 0, 0, 64, 27);
    Panel1->SetAlign(fw::alRight);
    Panel1->SetCaption(L"Filter/s:");
    Panel1->SetHint(L"Seperate Filters with ; I.e *.txt;*.doc  ");
}

void TForm1::CreateFolderViews() {
    ZST = Place<shell::TZemShellTree>(this, this, 0, 27, 200, 269);
    ZST->SetAlign(fw::alLeft);
    ZST->SetRootedAt(shell::SF_DRIVES);
    ZST->SetShowNethood(false);
    ZST->SetShowRecycleBin(false);
    ZST->SetFilter(L"*");
    ZST->Font()->SetName(L"Segoe UI");
    ZST->Font()->SetHeight(-12);
    ZST->SetShowLines(false);
    ZST->SetIndent(19);
    ZST->OnChange = [this](fw::TObject* Sender, fw::TTreeNode* Node) { ZSTChange(Sender, Node); };

    Splitter1 = Place<fw::TSplitter>(this, this, 200, 27, 3, 269);
    Splitter1->SetAlign(fw::alLeft);

    ZFL = Place<shell::TZemFileList>(this, this, 203, 27, 520, 269);
    ZFL->SetAlign(fw::alClient);
    ZFL->SetViewStyle(fw::vsReport);
    ZFL->SetRowSelect(true);
    ZFL->SetAutoArrange(true);
    ZFL->SetOleDragDrop(false);
    ZFL->SetAutomaticRefresh(false);
    ZFL->SetUseSystemFont(false);
    shell::TZemSearchOptions* options = ZFL->SearchOptions();
    options->SetMaxFileSize(-1);
    options->SetRecursiveSearch(false);
    options->SetAutoWildcard(false);
    options->SetFilter(L"*.txt;*.dll");  // replaced by the first listing
    ZFL->OnCreateColumns = [this](fw::TObject* Sender) { ZFLCreateColumns(Sender); };
    ZFL->OnChange = [this](fw::TObject* Sender, fw::TListItem* Item, fw::TItemChange Change) {
        ZFLChange(Sender, Item, Change);
    };
    ZFL->OnDblClick = [this](fw::TObject* Sender) { ZFLDblClick(Sender); };
    ZFL->OnAdvancedCustomDraw = [this](fw::TCustomListView* Sender, const RECT& ARect, fw::TCustomDrawStage Stage,
                                       bool& DefaultDraw) { ZFLAdvancedCustomDraw(Sender, ARect, Stage, DefaultDraw); };
    ZFL->OnEndSearch = [this] { ZFLEndSearch(); };

    ZemShellLink1 = new shell::TZemShellLink(this);
    ZST->SetShellLink(ZemShellLink1);
    ZFL->SetShellLink(ZemShellLink1);
}

void TForm1::CreateBottomPanel() {
    pnlBottom = Place<fw::TPanel>(this, this, 0, 296, 723, 163);
    pnlBottom->SetAlign(fw::alBottom);
    pnlBottom->SetBevelOuter(fw::bvNone);
    CreateOutputOptions();
    CreateSortOptions();
    CreateSearchOptions();
    CreateStatusBar();
}

void TForm1::CreateOutputOptions() {
    GroupBox1 = Place<fw::TGroupBox>(this, pnlBottom, 4, 2, 380, 140);
    GroupBox1->SetCaption(L"Save / Print Options");

    Label1 = Place<fw::TLabel>(this, GroupBox1, 10, 22, 40, 13);
    Label1->SetCaption(L"Header:");
    edPrintCaption = Place<fw::TEdit>(this, GroupBox1, 58, 18, 146, 21);
    edPrintCaption->SetText(L"File List");

    cbItem = PlaceCheckBox(this, GroupBox1, 10, 48, 90, L"Location", false);
    cbSize = PlaceCheckBox(this, GroupBox1, 100, 48, 80, L"Size", true);
    cbType = PlaceCheckBox(this, GroupBox1, 180, 48, 90, L"Type", true);
    cbDate = PlaceCheckBox(this, GroupBox1, 270, 48, 100, L"Date Modified", true);
    for (fw::TCheckBox* box : {cbItem, cbSize, cbType, cbDate}) box->SetHint(L"Click to show / Hide");
    cbItem->OnClick = [this](fw::TObject* Sender) { cbItemClick(Sender); };
    cbSize->OnClick = [this](fw::TObject* Sender) { cbSizeClick(Sender); };
    cbType->OnClick = [this](fw::TObject* Sender) { cbTypeClick(Sender); };
    cbDate->OnClick = [this](fw::TObject* Sender) { cbDateClick(Sender); };
    cbFilePath = PlaceCheckBox(this, GroupBox1, 10, 70, 100, L"Full File Path", false);
    cbFilePath->OnClick = [this](fw::TObject* Sender) { cbFilePathClick(Sender); };
    cbExt = PlaceCheckBox(this, GroupBox1, 120, 70, 90, L"Include Ext", true);
    cbExt->OnClick = [this](fw::TObject* Sender) { RefreshFileList(Sender); };

    BtnSave = Place<vx::TVxArrowButton>(this, GroupBox1, 10, 104, 117, 25);
    BtnSave->SetCaption(L"Save as Text");
    btnPreview = Place<vx::TVxArrowButton>(this, GroupBox1, 131, 104, 117, 25);
    btnPreview->SetCaption(L"Preview as Text");
    BtnPrint = Place<vx::TVxArrowButton>(this, GroupBox1, 252, 104, 117, 25);
    BtnPrint->SetCaption(L"Print Preview");
    BtnPrint->OnClick = [this](fw::TObject* Sender) { BtnPrintClick(Sender); };
    for (vx::TVxArrowButton* button : {BtnSave, btnPreview, BtnPrint}) {
        button->SetAllowAllUp(true);
        button->SetGroupIndex(-1);
    }

    cbFont = Place<vx::TVxFontComboBox>(this, GroupBox1, 212, 18, 117, 22);
    cbFont->SetDroppedDownWidth(117);
    cbFont->SetFontName(L"Tahoma");
    cbFont->SetMaxMRUCount(0);
    cbFont->SetSorted(false);

    cbPrintGrid = PlaceCheckBox(this, GroupBox1, 220, 70, 90, L"Print Grid", false);
}

void TForm1::CreateSortOptions() {
    GroupBox2 = Place<fw::TGroupBox>(this, pnlBottom, 388, 2, 178, 140);
    GroupBox2->SetCaption(L"Sort");

    cbSort = PlaceCheckBox(this, GroupBox2, 10, 20, 150, L"Sort Files By...", true);
    cbSort->OnClick = [this](fw::TObject* Sender) { cbSortClick(Sender); };

    gpSort = Place<fw::TComboBox>(this, GroupBox2, 10, 44, 158, 21);
    for (const wchar_t* item : {L"Name", L"In Folder", L"Size", L"Item Type", L"Modified Date"})
        gpSort->Items()->Add(item);
    // "Name" shows while no entry is picked: the list then sorts as by its name column.
    gpSort->SetItemIndex(-1);
    gpSort->SetText(L"Name");
    gpSort->OnChange = [this](fw::TObject* Sender) { RefreshFileList(Sender); };

    btnAscend = Place<fw::TRadioButton>(this, GroupBox2, 10, 78, 150, 17);
    btnAscend->SetCaption(L"Ascending (A->Z)");
    btnAscend->SetChecked(true);
    btnDescend = Place<fw::TRadioButton>(this, GroupBox2, 10, 100, 150, 17);
    btnDescend->SetCaption(L"Descending (Z->A)");
    for (fw::TRadioButton* button : {btnAscend, btnDescend})
        button->OnClick = [this](fw::TObject* Sender) { RefreshFileList(Sender); };
}

void TForm1::CreateSearchOptions() {
    GroupBox3 = Place<fw::TGroupBox>(this, pnlBottom, 573, 2, 146, 140);
    GroupBox3->SetAlign(fw::alRight);
    GroupBox3->SetCaption(L"Include:");

    SearchSubfoldes = PlaceCheckBox(this, GroupBox3, 10, 18, 126, L"Subfolders", false);
    SearchSubfoldes->Font()->SetColor(fw::clRed);
    SearchSubfoldes->Font()->SetStyle(fw::fsBold);
    SearchSubfoldes->SetHint(L"SLOW on larger directories");
    SearchFilesOnly = PlaceCheckBox(this, GroupBox3, 10, 36, 126, L"Files only", false);
    SearchFilesOnly->SetHint(L"Ignore Folders etc...");
    cbHidden = PlaceCheckBox(this, GroupBox3, 10, 54, 126, L"Hidden Files", false);
    cbHidden->SetHint(L"Ignore Folders etc...");
    for (fw::TCheckBox* box : {SearchSubfoldes, SearchFilesOnly, cbHidden})
        box->OnClick = [this](fw::TObject* Sender) { RefreshFileList(Sender); };
    cbHeaders = PlaceCheckBox(this, GroupBox3, 10, 72, 126, L"Show Headers", true);
    cbHeaders->SetHint(L"Show / Hide Headers");
    cbHeaders->OnClick = [this](fw::TObject* Sender) { cbHeadersClick(Sender); };

    ToolBarImageList = new fw::TImageList(this, 30, 30);
    AddToolBarImages(ToolBarImageList);
    StopSearchButton = Place<fw::TButton>(this, GroupBox3, 10, 94, 126, 38);
    StopSearchButton->SetCaption(L"&Stop");
    StopSearchButton->SetHint(L"Stop File List");
    StopSearchButton->SetImages(ToolBarImageList);
    StopSearchButton->SetImageIndex(4);
    StopSearchButton->OnClick = [this](fw::TObject* Sender) { StopSearchButtonClick(Sender); };
}

void TForm1::CreateStatusBar() {
    StatusBar1 = new fw::TStatusBar(this);
    StatusBar1->SetParent(pnlBottom);
    for (const wchar_t* text : {L"", L"Email", L"About...."}) {
        fw::TStatusPanel* panel = StatusBar1->Panels()->Add();
        panel->SetWidth(120);
        panel->SetText(text);
        panel->SetStyle(fw::psOwnerDraw);
    }
    StatusBar1->OnDblClick = [this](fw::TObject* Sender) { StatusBar1DblClick(Sender); };
    StatusBar1->OnDrawPanel = [this](fw::TStatusBar* Bar, fw::TStatusPanel* Panel, const RECT& Rect) {
        StatusBar1DrawPanel(Bar, Panel, Rect);
    };
}

void TForm1::CreateMenus() {
    PopupMenu1 = new fw::TPopupMenu(this);
    btnPrintSetup = AddItem(this, PopupMenu1->Items(), L"Printer Setup", 0);
    btnPrintSetup->OnClick = [this](fw::TObject* Sender) { btnPrintSetupClick(Sender); };
    PrintBtn = AddItem(this, PopupMenu1->Items(), L"Print", 0);  // no handler: choosing it does nothing
    BtnPrint->SetDropDown(PopupMenu1);

    MnSave = new fw::TPopupMenu(this);
    SaveasTextFile = AddItem(this, MnSave->Items(), L"Save as Text File", 1);
    SaveasHTML = AddItem(this, MnSave->Items(), L"Save as HTML", 1);
    SaveasTabbed = AddItem(this, MnSave->Items(), L"Save as Tab-Seperated Text", 1);
    SaveasCSV = AddItem(this, MnSave->Items(), L"Save as Comma-Seperated Text", 1);
    SavetoClipboard = AddItem(this, MnSave->Items(), L"Save to Clipboard", 1);
    BtnSave->SetDropDown(MnSave);

    MnPreview = new fw::TPopupMenu(this);
    PreviewAsText = AddItem(this, MnPreview->Items(), L"Preview as Text File", 2);
    PreviewAsHTML = AddItem(this, MnPreview->Items(), L"Preview as HTML", 4);
    PreviewAsTAB = AddItem(this, MnPreview->Items(), L"Preview as Tab-Seperated Text", 4);
    PreviewAsCSV = AddItem(this, MnPreview->Items(), L"Preview as Comma-Seperated Text", 4);
    btnPreview->SetDropDown(MnPreview);
    BindCommands();
}

void TForm1::CreateOutput() {
    DlgSave = new fw::TSaveDialog(this);
    DlgSave->SetOptions(fw::ofOverwritePrompt | fw::ofHideReadOnly | fw::ofEnableSizing);
    PrinterSetupDialog1 = new fw::TPrinterSetupDialog(this);
    PrintDialog1 = new fw::TPrintDialog(this);
    MyGrid = new vx::TVxStringGrid(this);
    MyGrid->SetParent(this);
    MyGrid->SetVisible(false);
    SGEXport = new zt::TztStringGridExport(this);
    SGEXport->SetStringGrid(MyGrid);
    SetupExport();
    ApplicationEvents1 = new fw::TApplicationEvents(this);
    ApplicationEvents1->OnShowHint = [this](std::wstring& HintStr, bool& CanShow, fw::THintInfo& HintInfo) {
        ApplicationEvents1ShowHint(HintStr, CanShow, HintInfo);
    };
    Pathfinch1 = new shell::TPathfinch(this);
    Pathfinch1->SetFilter(L"*");
    ZemBrowseForFolder1 = new shell::TZemBrowseForFolder(this);
}

// --- Start-up ---------------------------------------------------------------------------

void TForm1::FormCreate(fw::TObject*) {
    MyGrid->SetVisible(false);
    SetCaption(L"Tabulorin - Brenmoor Software");
}

void TForm1::FormShow(fw::TObject*) {
    SetListingFolder(StartFolder);
    btnViewStyleClick(nullptr);
    FormShown = true;
    // The boxes take the captions of list columns 1 to 4 as the list made them.
    fw::TCheckBox* const boxes[] = {cbItem, cbSize, cbType, cbDate};
    for (int field = 0; field < 4; ++field) {
        if (field + 1 >= ZFL->Columns()->Count()) break;
        boxCaptions_[field] = ZFL->Columns()->Items(field + 1)->Caption();
        boxes[field]->SetCaption(boxCaptions_[field]);
    }
    // Each of these ends in a listing request: the first listing starts here.
    cbItemClick(nullptr);
    cbSizeClick(nullptr);
    cbTypeClick(nullptr);
    cbDateClick(nullptr);
    cbHeadersClick(nullptr);
    if (ZFL->Columns()->Count() > 0) ZFL->Columns()->Items(0)->SetWidth(170);
    SetupGrid();
    ClearGrid();
}

void TForm1::WndProc(fw::TMessage& Message) {
    if (Message.Msg == CM_SYNCCOLUMNBOXES) {
        SyncColumnBoxes();
        return;
    }
    if (Message.Msg == CM_SHOWLISTINGBUSY) {
        if (StopSearchButton->Enabled()) fw::Screen()->SetCursor(fw::crAppStart);
        return;
    }
    if (Message.Msg == CM_FOLDERNOTFOUND) {
        ShowMissingFolder();
        return;
    }
    fw::TForm::WndProc(Message);
}

void TForm1::btnPrintSetupClick(fw::TObject*) {
    RunCommand([this] { PrinterSetupDialog1->Execute(Handle()); });
}

void TForm1::BtnPrintClick(fw::TObject* Sender) {
    // The button comes up again however the command ends.
    struct Release {
        vx::TVxArrowButton* button;
        ~Release() { button->SetDown(false); }
    } release{BtnPrint};
    RunCommand([this, Sender] {
        SetupGrid();
        if (fw::Printer()->Printing()) fw::Printer()->Abort();
        LayOutListing(Printpreview, MyGrid, cbPrintGrid->Checked(), edPrintCaption->Text(), OutputFont());
        if (Sender == BtnPrint) {
            Printpreview->ShowPreview();
            Printpreview->ShowModal();
        }
        ClearGrid();
    });
}
