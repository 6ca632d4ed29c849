#pragma once
// TEdit: a one-line text box over the system's EDIT class. Created with an owner
// and placed with SetParent; its window is made when first shown or asked for.
// The text, limit and read-only state live in the object before the window is
// made and between re-creations (an Alignment change re-creates it). Typing (and
// any change of Text) fires OnChange, through the EN_CHANGE notice the window
// sends its parent, which comes back to the control as CN_COMMAND.
#include "framework/Controls.h"

namespace fw {

class TCustomEdit : public TWinControl {
public:
    // 121 x 21, sunken border, tab stop.
    explicit TCustomEdit(TComponent* AOwner);

    // Left, right or centred text (ES_LEFT, ES_RIGHT, ES_CENTER).
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    // The most characters the box takes (0: no limit).
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle Value);
    bool Modified() const;
    void SetModified(bool Value);

    int SelStart() const;
    void SetSelStart(int Value);
    int SelLength() const;
    void SetSelLength(int Value);
    void SelectAll();
    void Clear() { SetText(L""); }

    TNotifyEvent OnChange;

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    virtual void Change();
    std::wstring ClassName() const override { return L"TCustomEdit"; }

private:
    TAlignment alignment_ = taLeftJustify;
    int maxLength_ = 0;
    bool readOnly_ = false;
    bool modified_ = false;
    TBorderStyle borderStyle_ = bsSingle;
};

class TEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;

protected:
    std::wstring ClassName() const override { return L"TEdit"; }
};

}  // namespace fw
