#include "export/ExportVariant.h"

#include "framework/DateTime.h"
#include "framework/SysUtils.h"

namespace zt {

TztVariant TztVariant::Integer(int64_t Value, TztVarType Type) {
    TztVariant v;
    v.type_ = Type;
    v.int_ = Value;
    v.double_ = double(Value);
    return v;
}

TztVariant TztVariant::Float(double Value, TztVarType Type) {
    TztVariant v;
    v.type_ = Type;
    v.double_ = Value;
    return v;
}

TztVariant TztVariant::Boolean(bool Value) {
    TztVariant v;
    v.type_ = varBoolean;
    v.int_ = Value ? 1 : 0;
    v.double_ = Value ? 1 : 0;
    return v;
}

TztVariant TztVariant::Text(const std::wstring& Value, TztVarType Type) {
    TztVariant v(Value);
    v.type_ = Type;
    return v;
}

TztVariant TztVariant::OfType(TztVarType Type) {
    TztVariant v;
    v.type_ = Type;
    return v;
}

std::wstring TztVariant::AsString() const {
    switch (type_) {
    case varEmpty:
    case varNull: return L"";
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: return std::to_wstring(int_);
    case varUInt64: return std::to_wstring(uint64_t(int_));
    case varSingle:
    case varDouble:
    case varCurrency: return fw::FloatToStr(double_);
    case varDate: return fw::DateTimeToStr(double_);
    case varBoolean: return int_ ? L"True" : L"False";
    default: return TextRef();
    }
}

}  // namespace zt
