#pragma once
// The tree view: a TWinControl over the common controls' SysTreeView32.
// A TCustomTreeView is created with an owner and placed with SetParent; its
// window is made when it is first shown or its Handle() is asked for. Its nodes
// (TTreeNode) belong to its TTreeNodes (Items): adding a node makes the window
// if there is none; a node object dies with its item (Delete, Clear, a parent's
// deletion, the tree's destruction). Each node keeps its text, images and
// child flag, so a re-created window gets its items back.
// A node with HasChildren and no children shows an expand button; the tree asks
// CanExpand before it opens a node, so a descendant fills children there (on the
// first expansion only). A node whose ImageIndex is negative is asked for through
// GetImageIndex when the tree draws it. OnChange follows a selection change,
// after ChangeDelay milliseconds when that is above 0.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/Controls.h"

namespace fw {

class TCustomImageList;
class TCustomTreeView;
class TTreeNodes;
class TTreeNode;

using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVCompare = std::function<int(TTreeNode* A, TTreeNode* B)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, std::wstring& S)>;

class TTreeNode : public TPersistent {
public:
    explicit TTreeNode(TTreeNodes* AOwner);
    ~TTreeNode() override;

    TTreeNodes* Owner() const { return owner_; }
    TCustomTreeView* TreeView() const;
    HTREEITEM ItemId() const { return item_; }

    const std::wstring& Text() const { return text_; }
    void SetText(const std::wstring& Value);
    // -1 (the default) leaves the image to GetImageIndex when drawn.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int Value);
    int SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(int Value);
    // The overlay image, numbered from 0 as the image list's overlays; -1 for none.
    int OverlayIndex() const { return overlayIndex_; }
    void SetOverlayIndex(int Value);
    int StateIndex() const { return stateIndex_; }
    void SetStateIndex(int Value);
    // Whether the node shows an expand button.
    bool HasChildren() const { return hasChildren_; }
    void SetHasChildren(bool Value);
    // Drawn dimmed, as an object marked for moving.
    bool Cut() const;
    void SetCut(bool Value);
    void* Data() const { return data_; }
    void SetData(void* Value) { data_ = Value; }

    TTreeNode* Parent() const;
    // 0 for the top-level nodes.
    int Level() const;
    int Count() const;
    TTreeNode* Item(int Index) const;
    // The position among its siblings.
    int Index() const;
    TTreeNode* GetFirstChild() const;
    TTreeNode* GetLastChild() const;
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // The next node in full tree order (children first).
    TTreeNode* GetNext() const;
    bool HasAsParent(const TTreeNode* Value) const;

    bool Expanded() const;
    void SetExpanded(bool Value) { Value ? Expand(false) : Collapse(false); }
    void Expand(bool Recurse);
    void Collapse(bool Recurse);
    bool Selected() const;
    void SetSelected(bool Value);
    bool Focused() const { return Selected(); }
    // Whether the node is shown (its parents expanded).
    bool IsVisible() const;
    void MakeVisible();
    // The node's row (or its text only) in client co-ordinates; empty when hidden.
    RECT DisplayRect(bool TextOnly) const;

    // Opens the label editor on the node (the tree's CanEdit may refuse).
    bool EditText();
    // Ends a running label edit, keeping the typed text unless Cancel.
    void EndEdit(bool Cancel);
    // Drawn as the target of a drag.
    bool DropTarget() const;
    void SetDropTarget(bool Value);

    // Deletes the node, its children and their objects.
    void Delete();
    void DeleteChildren();
    bool CustomSort(const TTVCompare& Compare, bool Recurse = false);
    bool AlphaSort(bool Recurse = false);

protected:
    std::wstring ClassName() const override { return L"TTreeNode"; }

private:
    friend class TTreeNodes;
    friend class TCustomTreeView;
    // The item the window shows for this node (TVIF_* of every field but the text).
    void FillItem(TVITEMW& Item) const;
    void UpdateItem(UINT Mask);
    void InvalidateRow();
    TTreeNode* NodeOf(HTREEITEM Item) const;
    HWND Window() const;

    TTreeNodes* owner_;
    HTREEITEM item_ = nullptr;
    std::wstring text_;
    int imageIndex_ = -1;
    int selectedIndex_ = -1;
    int overlayIndex_ = -1;
    int stateIndex_ = -1;
    bool hasChildren_ = false;
    bool cut_ = false;
    void* data_ = nullptr;
};

// The nodes of a tree, as the window orders them.
class TTreeNodes : public TPersistent {
public:
    explicit TTreeNodes(TCustomTreeView* Owner) : owner_(Owner) {}
    ~TTreeNodes() override;

    TCustomTreeView* Owner() const { return owner_; }
    // Every node of the tree, the objects included.
    int Count() const { return int(nodes_.size()); }
    // The first top-level node, or nullptr.
    TTreeNode* GetFirstNode() const;
    // The node of a window item; nullptr for none.
    TTreeNode* GetNode(HTREEITEM Item) const;
    // The node at position Index in full tree order (slow: walks the tree).
    TTreeNode* Item(int Index) const;

    TTreeNode* Add(TTreeNode* Sibling, const std::wstring& S);
    TTreeNode* AddChild(TTreeNode* Parent, const std::wstring& S);
    TTreeNode* AddChildFirst(TTreeNode* Parent, const std::wstring& S);
    TTreeNode* Insert(TTreeNode* Sibling, const std::wstring& S);
    void Delete(TTreeNode* Node) { Node->Delete(); }
    // Deletes every node, also while the window is gone (it comes back empty).
    void Clear();
    // Redraw is off from the first BeginUpdate to the last EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }

protected:
    std::wstring ClassName() const override { return L"TTreeNodes"; }

private:
    friend class TTreeNode;
    friend class TCustomTreeView;
    // Makes a node of the tree's class and its window item below Parent, after
    // InsertAfter (TVI_FIRST, TVI_LAST or a sibling).
    TTreeNode* InternalAdd(TTreeNode* Parent, HTREEITEM InsertAfter, const std::wstring& S);
    void InsertItem(TTreeNode* Node, HTREEITEM Parent, HTREEITEM InsertAfter);
    // The window deleted an item: the node object goes.
    void ItemDeleted(HTREEITEM Item);
    // Before the window goes for good: every node object is freed.
    void FreeAll();

    TCustomTreeView* owner_;
    std::unordered_map<HTREEITEM, TTreeNode*> nodes_;
    int updateCount_ = 0;
};

class TCustomTreeView : public TWinControl {
public:
    explicit TCustomTreeView(TComponent* AOwner);
    ~TCustomTreeView() override;

    TTreeNodes* Items();
    TTreeNode* Selected();
    void SetSelected(TTreeNode* Value);
    // The node under a client point, or nullptr.
    TTreeNode* GetNodeAt(int X, int Y);
    TTreeNode* TopItem();
    // The node drawn as the target of a drag, or nullptr.
    TTreeNode* DropTarget();
    void SetDropTarget(TTreeNode* Value);
    // The window's TVHT_* flags for a client point.
    UINT GetHitTestInfoAt(int X, int Y);

    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* StateImages() const { return stateImages_; }
    void SetStateImages(TCustomImageList* Value);

    bool ShowLines() const { return HasStyle(TVS_HASLINES); }
    void SetShowLines(bool Value) { SetStyle(TVS_HASLINES, Value); }
    bool ShowRoot() const { return HasStyle(TVS_LINESATROOT); }
    void SetShowRoot(bool Value) { SetStyle(TVS_LINESATROOT, Value); }
    bool ShowButtons() const { return HasStyle(TVS_HASBUTTONS); }
    void SetShowButtons(bool Value) { SetStyle(TVS_HASBUTTONS, Value); }
    bool HideSelection() const { return !HasStyle(TVS_SHOWSELALWAYS); }
    void SetHideSelection(bool Value) { SetStyle(TVS_SHOWSELALWAYS, !Value); }
    bool ReadOnly() const { return !HasStyle(TVS_EDITLABELS); }
    void SetReadOnly(bool Value) { SetStyle(TVS_EDITLABELS, !Value); }
    bool RowSelect() const { return HasStyle(TVS_FULLROWSELECT); }
    void SetRowSelect(bool Value) { SetStyle(TVS_FULLROWSELECT, Value); }
    // Only with dmAutomatic does the window tell of items being dragged.
    void SetDragMode(TDragMode Value) override;
    // Pixels a level is indented by (the window's own when 0).
    int Indent() const;
    void SetIndent(int Value);
    bool RightClickSelect() const { return rightClickSelect_; }
    void SetRightClickSelect(bool Value) { rightClickSelect_ = Value; }
    // Milliseconds between a selection change and OnChange (0: at once).
    UINT ChangeDelay() const { return changeDelay_; }
    void SetChangeDelay(UINT Value) { changeDelay_ = Value; }

    void FullExpand();
    void FullCollapse();
    bool AlphaSort(bool Recurse = false);
    bool CustomSort(const TTVCompare& Compare, bool Recurse = false);
    bool IsEditing();

    TTVChangedEvent OnChange;
    TTVChangingEvent OnChanging;
    TTVExpandingEvent OnExpanding;
    TTVExpandedEvent OnExpanded;
    TTVExpandingEvent OnCollapsing;
    TTVExpandedEvent OnCollapsed;
    TTVExpandedEvent OnDeletion;
    // Label editing: asked before the editor opens, told the text it ended with,
    // told when it ended without text.
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    TTVExpandedEvent OnCancelEdit;

    void WndProc(TMessage& Message) override;

protected:
    // Destroys the window and frees every node now; a descendant whose nodes need
    // it whole calls this first in its own destructor.
    void FreeNodes();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The class of the tree's nodes and of its node list.
    virtual TTreeNode* CreateNode();
    virtual std::unique_ptr<TTreeNodes> CreateNodes();
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    // Answers whether Node may open (OnExpanding); a descendant fills it here.
    virtual bool CanExpand(TTreeNode* Node);
    virtual void Expand(TTreeNode* Node);
    virtual bool CanCollapse(TTreeNode* Node);
    virtual void Collapse(TTreeNode* Node);
    virtual bool CanChange(TTreeNode* Node);
    // After the selection changed (and ChangeDelay passed): OnChange.
    virtual void Change(TTreeNode* Node);
    virtual void Delete(TTreeNode* Node);
    // Whether Node's label may be edited (OnEditing).
    virtual bool CanEdit(TTreeNode* Node);
    // The label edit ended with text S: OnEdited may change it; the node takes it.
    virtual void Edit(TTreeNode* Node, std::wstring& S);
    // The label edit ended without text (Escape, an empty label, or the edit was cancelled).
    virtual void EditCanceled(TTreeNode* Node);
    // The user starts dragging Node with the left or the right button.
    virtual void BeginItemDrag(TTreeNode* Node, TMouseButton Button);
    // A node with a negative image is drawn: a descendant may set its images.
    virtual void GetImageIndex(TTreeNode* Node);
    virtual void GetSelectedIndex(TTreeNode* Node);
    // Custom drawing of an item before the window paints it: a descendant may
    // change the text colour in Draw; return true when it did.
    virtual bool CustomDrawItem(TTreeNode* Node, NMTVCUSTOMDRAW& Draw);
    virtual bool IsCustomDrawn() const { return false; }
    bool HasStyle(DWORD Style) const { return (style_ & Style) != 0; }
    void SetStyle(DWORD Style, bool On);
    // Whether a selection change waits for ChangeDelay; stopping it drops that change.
    bool ChangeTimerRunning() const { return changeTimer_; }
    void KillChangeTimer();
    std::wstring ClassName() const override { return L"TCustomTreeView"; }

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    // Sends a message to the window's class procedure.
    LRESULT Send(UINT Msg, WPARAM WParam, LPARAM LParam);
    void HandleNotify(TMessage& Message);
    void HandleDispInfo(NMTVDISPINFOW& Info);
    void HandleEndLabelEdit(NMTVDISPINFOW& Info);
    LRESULT HandleCustomDraw(NMTVCUSTOMDRAW& Draw);
    // Lays the tree's colour under the client area below the last row.
    void FillBelowRows(HDC DC);
    // Gives the window the control's colour for its rows.
    void ApplyColor();
    void SelectionChanged(TTreeNode* Node);
    // Reports a selection the window moved without telling (as after a collapse).
    void ReportMovedSelection();
    void SaveNodes();
    void RestoreNodes();
    // The nodes kept for a window that is gone are deleted.
    void DropSavedNodes();

    std::unique_ptr<TTreeNodes> items_;
    TCustomImageList* images_ = nullptr;
    TCustomImageList* stateImages_ = nullptr;
    DWORD style_ =
        TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP;
    int indent_ = 0;
    bool rightClickSelect_ = false;
    UINT changeDelay_ = 0;
    bool changeTimer_ = false;
    // While the window is made again: the nodes and their parents, in tree order.
    std::vector<std::pair<TTreeNode*, TTreeNode*>> saved_;
    TTreeNode* savedSelection_ = nullptr;
    std::vector<TTreeNode*> savedExpanded_;
    bool destroyingNodes_ = false;
    // The editor of the label edit that has ended (its end is told once).
    HWND endedEditor_ = nullptr;
    // Set while the tree empties itself or restores a selection: no change events.
    bool clearing_ = false;
    // The item a TTreeNode::Expand is opening (its events are raised by the node).
    HTREEITEM expandingInCode_ = nullptr;
    // The window's selection as last reported.
    HTREEITEM reported_ = nullptr;
};

class TTreeView : public TCustomTreeView {
public:
    using TCustomTreeView::TCustomTreeView;

protected:
    std::wstring ClassName() const override { return L"TTreeView"; }
};

}  // namespace fw
