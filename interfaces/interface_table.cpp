#include "interfaces/interface_table.hpp"

#include <algorithm>

namespace zirok::interfaces {

using platform::Variant;
using platform::VarType;

VarType varType(ParamKind kind) {
    switch (kind) {
        case ParamKind::Long:
            return VarType::I4;
        case ParamKind::Bool:
            return VarType::Bool;
        case ParamKind::BStr:
            return VarType::BStr;
        case ParamKind::Currency:
            return VarType::Cy;
        case ParamKind::Dispatch:
            return VarType::Dispatch;
        case ParamKind::None:
            break;
    }
    return VarType::Empty;
}

Variant zeroValue(ParamKind kind) {
    if (kind == ParamKind::Dispatch) return Variant(std::shared_ptr<platform::Dispatch>());
    return platform::coerce(Variant(), varType(kind));
}

namespace {

char foldCase(char c) {
    return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldCase(x) == foldCase(y);
           });
}

std::string_view unbraced(std::string_view guid) {
    if (guid.size() >= 2 && guid.front() == '{' && guid.back() == '}') {
        return guid.substr(1, guid.size() - 2);
    }
    return guid;
}

}  // namespace

const MethodDesc* findMethod(const InterfaceDesc& itf, std::u16string_view name) {
    for (const MethodDesc& m : itf.methods) {
        if (platform::namesEqual(name, m.name)) return &m;
    }
    return nullptr;
}

const MethodDesc* findMethod(const InterfaceDesc& itf, std::string_view name) {
    for (const MethodDesc& m : itf.methods) {
        if (sameIgnoringCase(name, m.name)) return &m;
    }
    return nullptr;
}

const MethodDesc* findMethod(const InterfaceDesc& itf, DispId dispid) {
    for (const MethodDesc& m : itf.methods) {
        if (m.dispid == dispid) return &m;
    }
    return nullptr;
}

const InterfaceDesc* findInterface(const TypeLibraryDesc& lib, std::string_view name) {
    for (const InterfaceDesc* itf : lib.interfaces) {
        if (itf->name == name) return itf;
    }
    return nullptr;
}

const ClassDesc* findClass(const TypeLibraryDesc& lib, std::string_view classId) {
    for (const ClassDesc& cls : lib.classes) {
        if (sameIgnoringCase(unbraced(cls.guid), unbraced(classId))) return &cls;
    }
    return nullptr;
}

std::string progId(const TypeLibraryDesc& lib, const ClassDesc& cls) {
    return std::string(lib.name) + "." + std::string(cls.name);
}

}  // namespace zirok::interfaces
