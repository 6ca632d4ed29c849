#include "app/Unit1.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(fw::TComponent* AOwner) : fw::TForm(AOwner) {
    SetClientSize(723, 459);
    Font()->SetName(L"Tahoma");
    Font()->SetHeight(-11);
    OnCreate = [this](fw::TObject* Sender) { FormCreate(Sender); };
}

void TForm1::FormCreate(fw::TObject*) {
    SetCaption(L"Tabulorin - Brenmoor Software");
}
