#pragma once
// Form streams written by hand, as another program or an older version of this
// one would have written them: a form without properties of its own that owns one
// component, whose properties the caller writes.
#include <functional>
#include <string>

#include "framework/Filer.h"
#include "framework/Streams.h"

namespace testenv {

inline void WriteOneComponentForm(fw::TMemoryStream& Stream, const std::wstring& FormClass,
                                  const std::wstring& FormName, const std::wstring& Class, const std::wstring& Name,
                                  const std::function<void(fw::TWriter&)>& Properties) {
    fw::TWriter w(&Stream);
    Stream.WriteBuffer("TPF0", 4);
    w.WriteStr(FormClass);
    w.WriteStr(FormName);
    w.WriteListEnd();  // the form's properties
    w.WriteStr(Class);
    w.WriteStr(Name);
    Properties(w);
    w.WriteListEnd();  // the component's properties
    w.WriteListEnd();  // the components it owns
    w.WriteListEnd();  // the components the form owns
}

}  // namespace testenv
