#include "framework/Filer.h"

#include <algorithm>
#include <map>
#include <utility>

#include "framework/Exception.h"
#include "framework/StringList.h"
#include "framework/SysUtils.h"

namespace fw {

namespace {

const wchar_t kInvalidValue[] = L"Invalid property value";
const wchar_t kInvalidFormat[] = L"Invalid stream format";
// The first four bytes of a stream that holds a root component.
const char kSignature[4] = {'T', 'P', 'F', '0'};

struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const { return CompareText(a, b) < 0; }
};

std::map<std::wstring, TComponentFactory, NoCaseLess>& ComponentClasses() {
    static std::map<std::wstring, TComponentFactory, NoCaseLess> classes;
    return classes;
}

// Finds the property a reader has just met by walking an object's definitions
// along the name's dotted path ("HTML.CustomColors.Background").
class TPropertyFinder : public TFiler {
public:
    TPropertyFinder(TReader& Reader, const std::wstring& Path) : reader_(Reader) {
        root_ = Reader.Root();
        size_t start = 0;
        for (size_t dot; (dot = Path.find(L'.', start)) != std::wstring::npos; start = dot + 1)
            segments_.push_back(Path.substr(start, dot - start));
        segments_.push_back(Path.substr(start));
    }
    bool Found() const { return found_; }

    void DefineProperty(const std::wstring& Name, const TReaderProc& ReadData, const TWriterProc&, bool) override {
        if (found_ || depth_ + 1 != segments_.size() || !SameText(Name, segments_[depth_])) return;
        found_ = true;
        if (ReadData) ReadData(reader_);
        else reader_.SkipValue();  // written by others, ignored here
    }
    void DefineObject(const std::wstring& Name, const TDefineProc& DefineProperties) override {
        if (found_ || depth_ + 1 >= segments_.size() || !SameText(Name, segments_[depth_])) return;
        ++depth_;
        DefineProperties(*this);
        --depth_;
        // The object is named, so the search ends here, found or not.
        if (!found_) depth_ = segments_.size();
    }

private:
    TReader& reader_;
    std::vector<std::wstring> segments_;
    size_t depth_ = 0;
    bool found_ = false;
};

// Sets a variable for a scope and puts back what it held when the scope ends, however it ends.
template <class T>
class TSetForScope {
public:
    TSetForScope(T& Variable, T Value) : variable_(Variable), was_(std::exchange(Variable, Value)) {}
    ~TSetForScope() { variable_ = was_; }
    TSetForScope(const TSetForScope&) = delete;
    TSetForScope& operator=(const TSetForScope&) = delete;

private:
    T& variable_;
    T was_;
};

void AbortQuietly(const std::function<void()>& Abort) noexcept {
    try {
        if (Abort) Abort();
    } catch (...) {}  // the failure that stopped the read or write is the one to tell
}

}  // namespace

// --- parts -----------------------------------------------------------------------------

void TFiler::Nest(std::function<bool()> Step, std::function<void()> Abort) {
    parts_.push_back(std::make_unique<TPart>(TPart{std::move(Step), std::move(Abort)}));
    if (looping_) return;
    const size_t base = parts_.size() - 1;
    TSetForScope<bool> looping(looping_, true);
    try {
        while (parts_.size() > base) {
            const size_t top = parts_.size() - 1;
            // A part done with parts of its own still open leaves them to run next.
            if (!parts_[top]->Step()) parts_.erase(parts_.begin() + ptrdiff_t(top));
        }
    } catch (...) {
        // Undone innermost first, as an unwinding recursion would.
        while (parts_.size() > base) {
            const std::unique_ptr<TPart> part = std::move(parts_.back());
            parts_.pop_back();
            AbortQuietly(part->Abort);
        }
        throw;
    }
}

void TFiler::Finishing(const std::function<void()>& Body) {
    TSetForScope<bool> looping(looping_, false);
    Body();
}

// --- TWriter ---------------------------------------------------------------------------

void TWriter::WriteValue(TValueType Value) {
    stream_->WriteBuffer(&Value, 1);
}

void TWriter::WriteRawString(const std::wstring& Value) {
    const uint32_t length = uint32_t(Value.size());
    stream_->WriteBuffer(&length, sizeof(length));
    stream_->WriteBuffer(Value.data(), int64_t(length) * int64_t(sizeof(wchar_t)));
}

void TWriter::WritePropName(const std::wstring& Name) {
    // Never empty: a zero length would read as the end of the list.
    if (propPath_.empty() && Name.empty()) throw EWriteError(L"Stream write error");
    WriteRawString(propPath_ + Name);
}

void TWriter::WriteStr(const std::wstring& Value) {
    WriteRawString(Value);
}

void TWriter::WriteString(const std::wstring& Value) {
    WriteValue(TValueType::vaWString);
    WriteRawString(Value);
}

void TWriter::WriteIdent(const std::wstring& Value) {
    WriteValue(TValueType::vaIdent);
    WriteRawString(Value);
}

void TWriter::WriteInteger(int32_t Value) {
    WriteValue(TValueType::vaInt32);
    stream_->WriteBuffer(&Value, sizeof(Value));
}

void TWriter::WriteDouble(double Value) {
    WriteValue(TValueType::vaDouble);
    stream_->WriteBuffer(&Value, sizeof(Value));
}

void TWriter::WriteProperties(TPersistent* Instance) {
    Finishing([&] {
        TSetForScope<TCursor*> plain(cursor_, nullptr);
        Instance->DefineProperties(*this);
    });
}

void TWriter::NestProperties(TPersistent* Instance, std::function<void()> Done) {
    // Each step defines the object's properties anew, passes over those written
    // already, and writes on until one nests a part.
    Nest([this, Instance, Done = std::move(Done), path = propPath_, skip = 0]() mutable {
        propPath_ = path;
        TCursor cursor;
        cursor.Skip = skip;
        {
            TSetForScope<TCursor*> stepping(cursor_, &cursor);
            Instance->DefineProperties(*this);
        }
        if (cursor.Stopped) {
            skip = cursor.Skip;
            return true;
        }
        if (Done) Done();
        return false;
    });
}

void TWriter::DefineProperty(const std::wstring& Name, const TReaderProc&, const TWriterProc& WriteData, bool HasData) {
    TCursor* cursor = cursor_;
    if (cursor) {
        const int index = cursor->Seen++;
        if (cursor->Stopped || index < cursor->Skip) return;
        cursor->Skip = index + 1;
    }
    if (!HasData || !WriteData) return;
    WritePropName(Name);
    const size_t parts = PartCount();
    {
        TSetForScope<TCursor*> plain(cursor_, nullptr);  // what the value writes is its own
        WriteData(*this);
    }
    if (cursor && PartCount() > parts) cursor->Stopped = true;
}

void TWriter::DefineObject(const std::wstring& Name, const TDefineProc& DefineProperties) {
    const std::wstring path = propPath_;
    propPath_ = path + Name + L".";
    try {
        DefineProperties(*this);
    } catch (...) {
        propPath_ = path;
        throw;
    }
    propPath_ = path;
}

void TWriter::WriteRootComponent(TComponent* Root) {
    stream_->WriteBuffer(kSignature, sizeof(kSignature));
    root_ = Root;
    try {
        WriteComponent(Root);
    } catch (...) {
        root_ = nullptr;
        throw;
    }
    root_ = nullptr;
}

void TWriter::WriteComponent(TComponent* Component) {
    WriteRawString(static_cast<TPersistent*>(Component)->ClassName());
    WriteRawString(Component->Name());
    const std::wstring path = propPath_;
    propPath_.clear();
    Component->WriteState(*this);
    propPath_ = path;
    WriteListEnd();
    // Only the root writes what it owns; a component without a name cannot be found again.
    if (Component == root_)
        for (int i = 0; i < Component->ComponentCount(); ++i)
            if (!Component->Components(i)->Name().empty()) WriteComponent(Component->Components(i));
    WriteListEnd();
}

// --- TReader ---------------------------------------------------------------------------

TValueType TReader::ReadValue() {
    uint8_t value = 0;
    stream_->ReadBuffer(&value, 1);
    switch (TValueType(value)) {
    case TValueType::vaNull:
    case TValueType::vaList:
    case TValueType::vaInt32:
    case TValueType::vaIdent:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaSet:
    case TValueType::vaNil:
    case TValueType::vaCollection:
    case TValueType::vaWString:
    case TValueType::vaDouble: return TValueType(value);
    }
    throw EReadError(kInvalidFormat);
}

TValueType TReader::NextValue() {
    // Not checked: a property name (whose first byte is its length's) may follow.
    uint8_t value = 0;
    stream_->ReadBuffer(&value, 1);
    stream_->Seek(-1, soCurrent);
    return TValueType(value);
}

void TReader::CheckValue(TValueType Value) {
    if (ReadValue() != Value) throw EReadError(kInvalidValue);
}

std::wstring TReader::ReadRawString() {
    uint32_t length = 0;
    stream_->ReadBuffer(&length, sizeof(length));
    // A length beyond the stream's end is a damaged stream, not a request for memory.
    const int64_t bytes = int64_t(length) * int64_t(sizeof(wchar_t));
    if (bytes > stream_->Size() - stream_->Position()) throw EReadError(kInvalidFormat);
    std::wstring text(length, L'\0');
    stream_->ReadBuffer(text.data(), bytes);
    return text;
}

std::wstring TReader::ReadStr() {
    return ReadRawString();
}

std::wstring TReader::ReadString() {
    CheckValue(TValueType::vaWString);
    return ReadRawString();
}

std::wstring TReader::ReadIdent() {
    CheckValue(TValueType::vaIdent);
    return ReadRawString();
}

int32_t TReader::ReadInteger() {
    CheckValue(TValueType::vaInt32);
    int32_t value = 0;
    stream_->ReadBuffer(&value, sizeof(value));
    return value;
}

double TReader::ReadDouble() {
    const TValueType type = ReadValue();
    if (type == TValueType::vaInt32) {
        int32_t value = 0;
        stream_->ReadBuffer(&value, sizeof(value));
        return value;
    }
    if (type != TValueType::vaDouble) throw EReadError(kInvalidValue);
    double value = 0;
    stream_->ReadBuffer(&value, sizeof(value));
    return value;
}

bool TReader::ReadBoolean() {
    const TValueType value = ReadValue();
    if (value == TValueType::vaTrue) return true;
    if (value == TValueType::vaFalse) return false;
    throw EReadError(kInvalidValue);
}

void TReader::SkipValue() {
    // What each open list, collection or collection entry holds is kept on a
    // stack of its own, so no nesting costs the caller's stack.
    enum class TOpen : uint8_t {
        List,
        Collection,
        Entry
    };
    std::vector<TOpen> open;
    do {
        if (!open.empty()) {
            if (EndOfList()) {
                ReadListEnd();
                open.pop_back();
                continue;
            }
            if (open.back() == TOpen::Collection) {
                ReadListBegin();
                open.push_back(TOpen::Entry);
                continue;
            }
            if (open.back() == TOpen::Entry) ReadStr();  // the name before each value
        }
        switch (ReadValue()) {
        case TValueType::vaNull:
        case TValueType::vaFalse:
        case TValueType::vaTrue:
        case TValueType::vaNil: break;
        case TValueType::vaInt32: {
            int32_t value = 0;
            stream_->ReadBuffer(&value, sizeof(value));
            break;
        }
        case TValueType::vaDouble: {
            double value = 0;
            stream_->ReadBuffer(&value, sizeof(value));
            break;
        }
        case TValueType::vaIdent:
        case TValueType::vaWString: ReadRawString(); break;
        case TValueType::vaSet:
            while (!ReadRawString().empty()) {}
            break;
        case TValueType::vaList: open.push_back(TOpen::List); break;
        case TValueType::vaCollection: open.push_back(TOpen::Collection); break;
        }
    } while (!open.empty());
}

void TReader::ReadProperty(TPersistent* Instance) {
    const std::wstring name = ReadStr();
    TPropertyFinder finder(*this, name);
    Instance->DefineProperties(finder);
    if (!finder.Found())
        throw EReadError(
            Format(L"Error reading %s.%s: Property %s does not exist", {Instance->ClassName(), name, name}));
}

void TReader::ReadProperties(TPersistent* Instance) {
    Finishing([&] {
        while (!EndOfList()) ReadProperty(Instance);
    });
}

void TReader::NestProperties(TPersistent* Instance, std::function<void()> Done, std::function<void()> Abort) {
    Nest(
        [this, Instance, Done = std::move(Done)] {
            if (!EndOfList()) {
                ReadProperty(Instance);
                return true;
            }
            if (Done) Done();
            return false;
        },
        std::move(Abort));
}

void TReader::DefineProperty(const std::wstring&, const TReaderProc&, const TWriterProc&, bool) {
    // A reader finds properties by name (TPropertyFinder); defining to it reads nothing.
}

void TReader::DefineObject(const std::wstring&, const TDefineProc&) {}

void TReader::AddFixup(const std::wstring& Name, std::function<void(TComponent*)> Set) {
    fixups_.push_back({Name, std::move(Set)});
}

void TReader::FixupReferences() {
    std::vector<Fixup> fixups;
    fixups.swap(fixups_);
    for (Fixup& f : fixups)
        if (TComponent* c = root_ ? root_->FindComponent(f.Name) : nullptr) f.Set(c);
}

void TReader::ReadComponent(std::vector<TComponent*>& Made) {
    const std::wstring className = ReadRawString();
    const std::wstring name = ReadRawString();
    TComponent* component = root_->FindComponent(name);
    if (!component) {
        auto it = ComponentClasses().find(className);
        if (it == ComponentClasses().end()) throw EReadError(Format(L"Class %s not found", {className}));
        component = it->second(root_);
        Made.push_back(component);
        component->SetName(name);
        component->BeginLoading();
    }
    component->ReadState(*this);
    ReadListEnd();
    ReadListEnd();
}

void TReader::ReadRootComponent(TComponent* Root) {
    char signature[sizeof(kSignature)] = {};
    stream_->ReadBuffer(signature, sizeof(signature));
    if (!std::equal(signature, signature + sizeof(signature), kSignature)) throw EReadError(kInvalidFormat);
    root_ = Root;
    Root->BeginLoading();
    std::vector<TComponent*> made;
    try {
        ReadRawString();  // the class name: the root is given
        const std::wstring name = ReadRawString();
        if (Root->Name().empty() && !name.empty()) Root->SetName(name);
        Root->ReadState(*this);
        ReadListEnd();
        while (!EndOfList()) ReadComponent(made);
        ReadListEnd();
        FixupReferences();
    } catch (...) {
        fixups_.clear();
        for (auto it = made.rbegin(); it != made.rend(); ++it) delete *it;
        Root->EndLoading();
        root_ = nullptr;
        throw;
    }
    Root->EndLoading();
    root_ = nullptr;
}

// --- component classes -----------------------------------------------------------------

void RegisterComponentClass(const std::wstring& ClassName, TComponentFactory Factory) {
    ComponentClasses()[ClassName] = std::move(Factory);
}

void UnregisterComponentClass(const std::wstring& ClassName) {
    ComponentClasses().erase(ClassName);
}

// --- typed properties ------------------------------------------------------------------

void DefineString(TFiler& Filer, const std::wstring& Name, const std::wstring& Value,
                  std::function<void(const std::wstring&)> Set, bool Stored) {
    Filer.DefineProperty(
        Name, [&Set](TReader& R) { Set(R.ReadString()); }, [&Value](TWriter& W) { W.WriteString(Value); }, Stored);
}

void DefineInteger(TFiler& Filer, const std::wstring& Name, int32_t Value, std::function<void(int32_t)> Set,
                   bool Stored) {
    Filer.DefineProperty(
        Name, [&Set](TReader& R) { Set(R.ReadInteger()); }, [Value](TWriter& W) { W.WriteInteger(Value); }, Stored);
}

void DefineBoolean(TFiler& Filer, const std::wstring& Name, bool Value, std::function<void(bool)> Set, bool Stored) {
    Filer.DefineProperty(
        Name, [&Set](TReader& R) { Set(R.ReadBoolean()); }, [Value](TWriter& W) { W.WriteBoolean(Value); }, Stored);
}

void DefineDouble(TFiler& Filer, const std::wstring& Name, double Value, std::function<void(double)> Set, bool Stored) {
    Filer.DefineProperty(
        Name, [&Set](TReader& R) { Set(R.ReadDouble()); }, [Value](TWriter& W) { W.WriteDouble(Value); }, Stored);
}

namespace {

int IndexOfName(std::span<const wchar_t* const> Names, const std::wstring& Name) {
    for (size_t i = 0; i < Names.size(); ++i)
        if (SameText(Names[i], Name)) return int(i);
    return -1;
}

}  // namespace

void DefineEnum(TFiler& Filer, const std::wstring& Name, int Value, std::span<const wchar_t* const> Names,
                std::function<void(int)> Set, bool Stored) {
    Filer.DefineProperty(
        Name,
        [&](TReader& R) {
            const int index = IndexOfName(Names, R.ReadIdent());
            if (index < 0) throw EReadError(kInvalidValue);
            Set(index);
        },
        [&](TWriter& W) {
            if (Value < 0 || size_t(Value) >= Names.size()) throw EWriteError(kInvalidValue);
            W.WriteIdent(Names[size_t(Value)]);
        },
        Stored);
}

void DefineSet(TFiler& Filer, const std::wstring& Name, uint32_t Bits, std::span<const wchar_t* const> Names,
               std::function<void(uint32_t)> Set, bool Stored) {
    Filer.DefineProperty(
        Name,
        [&](TReader& R) {
            R.CheckValue(TValueType::vaSet);
            uint32_t bits = 0;
            for (std::wstring member = R.ReadStr(); !member.empty(); member = R.ReadStr()) {
                const int index = IndexOfName(Names, member);
                if (index < 0 || index >= 32) throw EReadError(kInvalidValue);
                bits |= uint32_t(1) << index;
            }
            Set(bits);
        },
        [&](TWriter& W) {
            W.WriteValue(TValueType::vaSet);
            for (size_t i = 0; i < Names.size() && i < 32; ++i)
                if (Bits & (uint32_t(1) << i)) W.WriteStr(Names[i]);
            W.WriteStr(L"");
        },
        Stored);
}

void DefineStrings(TFiler& Filer, const std::wstring& Name, TStrings* Strings) {
    Filer.DefineObject(Name, [Strings](TFiler& F) {
        F.DefineProperty(
            L"Strings",
            [Strings](TReader& R) {
                R.ReadListBegin();
                std::vector<std::wstring> lines;
                while (!R.EndOfList()) lines.push_back(R.ReadString());
                R.ReadListEnd();
                // Replaced only once the whole list is read.
                Strings->BeginUpdate();
                Strings->Clear();
                for (const std::wstring& line : lines) Strings->Add(line);
                Strings->EndUpdate();
            },
            [Strings](TWriter& W) {
                W.WriteListBegin();
                for (int i = 0; i < Strings->Count(); ++i) W.WriteString(Strings->Strings(i));
                W.WriteListEnd();
            },
            Strings->Count() > 0);
    });
}

void DefinePersistent(TFiler& Filer, const std::wstring& Name, TPersistent* Object) {
    Filer.DefineObject(Name, [Object](TFiler& F) { Object->DefineProperties(F); });
}

void DefineComponentRef(TFiler& Filer, const std::wstring& Name, TComponent* Value,
                        std::function<void(TComponent*)> Set) {
    Filer.DefineProperty(
        Name,
        [&Set](TReader& R) {
            if (R.NextValue() == TValueType::vaNil) {
                R.ReadValue();
                Set(nullptr);
                return;
            }
            R.AddFixup(R.ReadIdent(), Set);
        },
        [Value](TWriter& W) { W.WriteIdent(Value->Name()); },
        // A component without a name could not be found again.
        Value != nullptr && !Value->Name().empty());
}

}  // namespace fw
