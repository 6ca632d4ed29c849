#pragma once
// Writing and reading objects' properties as a typed value stream, the format
// in which persistent objects and components save themselves: a property is its
// name followed by one value; lists and collections nest and end with a null value.
// An object names its stored properties in DefineProperties (TPersistent) through
// a TFiler: the writer writes those that have data, the reader finds the one whose
// name it has just read. A nested object's properties are named "Object.Property".
// A component is its class name, its name, its properties and, for the root (a
// form), the named components it owns. Reading a root fills the components it
// already owns by name, makes the others from their registered classes, sets
// component references once everything is read, and ends with Loaded.
// TWriter and TReader are plain objects over a stream the caller owns. A stream
// that ends early or holds an unexpected value raises EReadError, so a reader
// never builds from garbage.
// A tree of objects (items whose children hold items again) is read and written
// in parts (Nest, NestProperties), so its depth costs heap, never stack.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Streams.h"

namespace fw {

enum class TValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt32 = 4,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaSet = 11,
    vaNil = 13,
    vaCollection = 14,
    vaWString = 18,
    vaDouble = 21,
};

class TReader;
class TWriter;

class TFiler : public TObject {
public:
    using TReaderProc = std::function<void(TReader& Reader)>;
    using TWriterProc = std::function<void(TWriter& Writer)>;
    using TDefineProc = std::function<void(TFiler& Filer)>;

    // A property with a value of its own: ReadData reads it back (a property
    // without one is passed over), WriteData writes it, only when HasData.
    virtual void DefineProperty(const std::wstring& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                                bool HasData) = 0;
    // A nested object whose properties DefineProperties names.
    virtual void DefineObject(const std::wstring& Name, const TDefineProc& DefineProperties) = 0;
    // The component written or read as a whole (a form), or nullptr. A caller
    // that streams parts of a form sets it, so references find their components.
    TComponent* Root() const { return root_; }
    void SetRoot(TComponent* Value) { root_ = Value; }

    // A subtree read or written in parts. A property that meets a subtree does
    // what comes first, nests the rest as a part, and returns: Step does the next
    // piece and answers whether more follow; Abort undoes what the part made when
    // the read or write fails before the part is done. Nested parts run in the
    // filer's own loop after the step that nested them, each to its end before
    // that part goes on. Outside the loop, and inside ReadProperties and
    // WriteProperties (which finish their object before they return), the part
    // runs at once.
    void Nest(std::function<bool()> Step, std::function<void()> Abort = nullptr);

protected:
    // Runs with nested parts running at once (a caller that goes on after its
    // call needs its object finished); the parts' loop resumes afterwards.
    void Finishing(const std::function<void()>& Body);
    size_t PartCount() const { return parts_.size(); }

    TComponent* root_ = nullptr;

private:
    struct TPart {
        std::function<bool()> Step;
        std::function<void()> Abort;
    };
    // Parts stay where they are while a step nests more (the running one is never moved).
    std::vector<std::unique_ptr<TPart>> parts_;
    bool looping_ = false;
};

class TWriter : public TFiler {
public:
    explicit TWriter(TStream* Stream) : stream_(Stream) {}

    void WriteValue(TValueType Value);
    void WriteListBegin() { WriteValue(TValueType::vaList); }
    void WriteListEnd() { WriteValue(TValueType::vaNull); }
    // Writes the current property path followed by Name.
    void WritePropName(const std::wstring& Name);
    // A bare text (a name, a set member), without value type.
    void WriteStr(const std::wstring& Value);
    void WriteString(const std::wstring& Value);
    void WriteIdent(const std::wstring& Value);
    void WriteInteger(int32_t Value);
    void WriteDouble(double Value);
    void WriteBoolean(bool Value) { WriteValue(Value ? TValueType::vaTrue : TValueType::vaFalse); }

    // The prefix of every property name written (as "Font." for a nested object).
    const std::wstring& PropPath() const { return propPath_; }
    void SetPropPath(const std::wstring& Value) { propPath_ = Value; }

    // Every property of Instance that has data, in the order it defines them.
    void WriteProperties(TPersistent* Instance);
    // The same as a part (see Nest), then Done: a property that nests a part ends
    // the step, and the next step goes on after it.
    void NestProperties(TPersistent* Instance, std::function<void()> Done);
    // The stream's signature, then Root with its owned components.
    void WriteRootComponent(TComponent* Root);
    void WriteComponent(TComponent* Component);

    void DefineProperty(const std::wstring& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;
    void DefineObject(const std::wstring& Name, const TDefineProc& DefineProperties) override;

private:
    void WriteRawString(const std::wstring& Value);

    // Where a part writing an object's properties stands: the properties it
    // passes over (written by earlier steps) and whether one of them nested a part.
    struct TCursor {
        int Seen = 0;
        int Skip = 0;
        bool Stopped = false;
    };

    TStream* stream_;
    std::wstring propPath_;
    TCursor* cursor_ = nullptr;
};

class TReader : public TFiler {
public:
    explicit TReader(TStream* Stream) : stream_(Stream) {}

    TValueType ReadValue();
    // The next value's type (unchecked), left in the stream.
    TValueType NextValue();
    bool EndOfList() { return NextValue() == TValueType::vaNull; }
    // EReadError "Invalid property value" when the next value is not Value.
    void CheckValue(TValueType Value);
    void ReadListBegin() { CheckValue(TValueType::vaList); }
    void ReadListEnd() { CheckValue(TValueType::vaNull); }
    // A property name, or any bare text.
    std::wstring ReadStr();
    std::wstring ReadString();
    std::wstring ReadIdent();
    int32_t ReadInteger();
    double ReadDouble();
    bool ReadBoolean();
    // Passes over one value (a whole list, set or collection, however deep).
    void SkipValue();

    // One property (its name and value) into Instance; EReadError for a name
    // Instance does not define.
    void ReadProperty(TPersistent* Instance);
    // Properties until the end of the list (left in the stream).
    void ReadProperties(TPersistent* Instance);
    // The same as a part (see Nest), then Done; Abort as for Nest.
    void NestProperties(TPersistent* Instance, std::function<void()> Done, std::function<void()> Abort = nullptr);
    // Reads a stream written by WriteRootComponent into Root (see the top). On a
    // failure, components made by the read are freed and the failure passed on.
    void ReadRootComponent(TComponent* Root);
    // Sets a component reference to the root's component of that name once the
    // whole root is read (a name no component has leaves it unset).
    void AddFixup(const std::wstring& Name, std::function<void(TComponent*)> Set);
    // Sets the references read so far (ReadRootComponent does it at its end).
    void FixupReferences();

    void DefineProperty(const std::wstring& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;
    void DefineObject(const std::wstring& Name, const TDefineProc& DefineProperties) override;

private:
    std::wstring ReadRawString();
    void ReadComponent(std::vector<TComponent*>& Made);

    struct Fixup {
        std::wstring Name;
        std::function<void(TComponent*)> Set;
    };
    TStream* stream_;
    std::vector<Fixup> fixups_;
};

// --- Components made by class name -----------------------------------------------------

using TComponentFactory = std::function<TComponent*(TComponent* Owner)>;
// Lets a reader make components of that class (the name compares without case).
void RegisterComponentClass(const std::wstring& ClassName, TComponentFactory Factory);
void UnregisterComponentClass(const std::wstring& ClassName);

// --- Typed properties for DefineProperties ----------------------------------------------
// Each writes Value when Stored and hands a read value to Set.

void DefineString(TFiler& Filer, const std::wstring& Name, const std::wstring& Value,
                  std::function<void(const std::wstring&)> Set, bool Stored = true);
void DefineInteger(TFiler& Filer, const std::wstring& Name, int32_t Value, std::function<void(int32_t)> Set,
                   bool Stored = true);
void DefineBoolean(TFiler& Filer, const std::wstring& Name, bool Value, std::function<void(bool)> Set,
                   bool Stored = true);
void DefineDouble(TFiler& Filer, const std::wstring& Name, double Value, std::function<void(double)> Set,
                  bool Stored = true);
// An enumeration, written by the identifier of its value (Names[Value]).
void DefineEnum(TFiler& Filer, const std::wstring& Name, int Value, std::span<const wchar_t* const> Names,
                std::function<void(int)> Set, bool Stored = true);
// A set of up to 32 members (bit i is Names[i]), written as its members' identifiers.
void DefineSet(TFiler& Filer, const std::wstring& Name, uint32_t Bits, std::span<const wchar_t* const> Names,
               std::function<void(uint32_t)> Set, bool Stored = true);
// The lines of a string list, as the nested property "Name.Strings".
void DefineStrings(TFiler& Filer, const std::wstring& Name, class TStrings* Strings);
// A nested persistent object's own properties.
void DefinePersistent(TFiler& Filer, const std::wstring& Name, TPersistent* Object);
// A reference to another component of the form, written by its name (when it
// has one) and set once the form is read.
void DefineComponentRef(TFiler& Filer, const std::wstring& Name, TComponent* Value,
                        std::function<void(TComponent*)> Set);

}  // namespace fw
