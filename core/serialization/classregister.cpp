#include "serialization/classregister.h"

#include <cxxabi.h>

#include <cstdlib>

namespace serialization {

std::string QualifiedName(const std::type_info& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    const std::string_view mangled = status == 0 && demangled ? demangled : type.name();
    std::string name;
    for (size_t i = 0; i < mangled.size(); ++i) {
        if (mangled.compare(i, 2, "::") == 0) {
            name += '.';
            ++i;
        } else {
            name += mangled[i];
        }
    }
    std::free(demangled);
    return name;
}

std::string TypeTag(std::string_view qualifiedName) {
    std::string tag = "C";
    while (!qualifiedName.empty()) {
        const size_t dot = qualifiedName.find('.');
        const std::string_view component = qualifiedName.substr(0, dot);
        tag += std::to_string(component.size());
        tag += component;
        qualifiedName.remove_prefix(dot == std::string_view::npos ? qualifiedName.size() : dot + 1);
    }
    return tag;
}

}  // namespace serialization
