#pragma once
// The main window. The application creates it first (so it is the main form) and
// owns it; closing it ends the program. Its controls come with the window's own
// definition; for now it carries its caption, size and font.
#include "framework/Forms.h"

class TForm1 : public fw::TForm {
public:
    explicit TForm1(fw::TComponent* AOwner);

    void FormCreate(fw::TObject* Sender);
};

// The main window, once the application has created it.
extern TForm1* Form1;
