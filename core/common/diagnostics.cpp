#include "common/diagnostics.h"

#include <iostream>

void StreamSink::WriteLine(std::string_view line) {
    std::lock_guard lock(mLock);
    mStream << line << '\n';
    mStream.flush();
}

DiagnosticSink& StandardOutputSink() {
    static StreamSink sink(std::cout);
    return sink;
}
