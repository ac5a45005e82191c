#include "interfaces/idl_writer.hpp"

#include <cstdio>

namespace zirok::interfaces {

namespace {

std::string_view idlType(ParamKind kind) {
    switch (kind) {
        case ParamKind::Long:
            return "long";
        case ParamKind::Bool:
            return "VARIANT_BOOL";
        case ParamKind::BStr:
            return "BSTR";
        case ParamKind::Currency:
            return "CURRENCY";
        case ParamKind::Dispatch:
            return "IDispatch*";
        case ParamKind::None:
            break;
    }
    return "void";
}

std::string unbraced(std::string_view guid) {
    if (guid.size() >= 2 && guid.front() == '{') guid = guid.substr(1, guid.size() - 2);
    return std::string(guid);
}

std::string hexId(DispId id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(id));
    return text;
}

void writeMethod(std::string& out, const MethodDesc& m) {
    out += "    [id(" + hexId(m.dispid) + ")]\n    HRESULT ";
    out += m.name;
    out += "(";
    bool first = true;
    auto param = [&](std::string_view attributes, const ParamDesc& p, bool pointer) {
        if (!first) out += ", ";
        first = false;
        out += "[";
        out += attributes;
        out += "] ";
        out += idlType(p.kind);
        if (pointer) out += "*";
        out += " ";
        out += p.name;
    };
    for (const ParamDesc& p : m.params()) param(p.byRef ? "out" : "in", p, p.byRef);
    if (m.hasResult()) param("out, retval", m.result, true);
    out += ");\n";
}

void writeInterface(std::string& out, const InterfaceDesc& itf) {
    out += "  [\n    uuid(" + unbraced(itf.guid) + "),\n";
    if (!itf.documentation.empty()) {
        out += "    helpstring(\"";
        out += itf.documentation;
        out += "\"),\n";
    }
    out += "    dual,\n    oleautomation\n  ]\n  interface ";
    out += itf.name;
    out += " : IDispatch\n  {\n";
    for (const MethodDesc& m : itf.methods) writeMethod(out, m);
    out += "  };\n\n";
}

void writeClass(std::string& out, const ClassDesc& cls) {
    out += "  [\n    uuid(" + unbraced(cls.guid) + ")";
    if (!cls.documentation.empty()) {
        out += ",\n    helpstring(\"";
        out += cls.documentation;
        out += "\")";
    }
    out += "\n  ]\n  coclass ";
    out += cls.name;
    out += "\n  {\n    [default] interface ";
    out += cls.defaultInterface->name;
    out += ";\n  };\n\n";
}

}  // namespace

std::string writeIdl(const TypeLibraryDesc& lib) {
    std::string out;
    out += "[\n  uuid(" + unbraced(lib.guid) + "),\n";
    out += "  version(" + std::to_string(lib.versionMajor) + "." +
           std::to_string(lib.versionMinor) + "),\n";
    out += "  helpstring(\"";
    out += lib.helpString;
    out += "\")\n]\nlibrary ";
    out += lib.name;
    out += "\n{\n  importlib(\"stdole2.tlb\");\n\n";
    for (const InterfaceDesc* itf : lib.interfaces) {
        out += "  interface ";
        out += itf->name;
        out += ";\n";
    }
    out += "\n";
    for (const InterfaceDesc* itf : lib.interfaces) writeInterface(out, *itf);
    for (const ClassDesc& cls : lib.classes) writeClass(out, cls);
    out += "};\n";
    return out;
}

}  // namespace zirok::interfaces
