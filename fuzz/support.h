#pragma once

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

// What the fuzz targets share: a private working folder, whole-file writes and the check that
// turns a broken expectation into a finding.
namespace fuzzing {

// A property of the code under test that did not hold: libFuzzer reports the abort with the input.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

// A target that changes its working folder makes libFuzzer's arguments absolute first (libFuzzer
// reads them after the target's initialisation): the corpus folders, the files that flags name,
// and the place for reproducers, by default the folder the fuzzer was started in. The program's
// own path must stay as given, so -jobs needs it absolute.
inline void MakeArgumentsAbsolute(int* argc, char*** argv) {
    static std::vector<std::string> arguments;
    static std::vector<char*> pointers;
    const std::filesystem::path started = std::filesystem::current_path();
    bool artifactPrefix = false;
    for (int i = 0; i < *argc; ++i) {
        std::string argument = (*argv)[i];
        if (i > 0 && !argument.starts_with('-')) {
            argument = (started / argument).string();
        }
        artifactPrefix = artifactPrefix || argument.starts_with("-artifact_prefix=");
        for (const std::string_view flag :
             {"-artifact_prefix=", "-exact_artifact_path=", "-dict="}) {
            if (argument.starts_with(flag)) {
                argument = std::string(flag) + (started / argument.substr(flag.size())).string();
            }
        }
        arguments.push_back(std::move(argument));
    }
    if (!artifactPrefix) {
        arguments.push_back("-artifact_prefix=" + started.string() + "/");
    }
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    *argc = static_cast<int>(arguments.size());
    *argv = pointers.data();
}

// Moves the process into a fresh folder of its own, in memory where the machine offers it, as
// the program runs in its working folder; the saves' flushes then cost nothing. libFuzzer ends
// without running exit handlers, so each start removes the folders of fuzzers that have ended.
inline void EnterScratchFolder() {
    namespace fs = std::filesystem;
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const std::string prefix = "warblet-fuzz-";
    for (const auto& entry : fs::directory_iterator(base)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(prefix) && ::kill(std::atoi(name.c_str() + prefix.size()), 0) != 0 &&
            errno == ESRCH) {
            fs::remove_all(entry.path());
        }
    }
    const fs::path folder = base / (prefix + std::to_string(::getpid()));
    fs::create_directories(folder);
    fs::current_path(folder);
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string_view Bytes(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Well-formed UTF-8, checked on its own terms rather than with the code under test: shortest
// forms only, no surrogates, nothing above U+10FFFF.
inline bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        uint32_t codePoint = 0;
        uint32_t smallest = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, codePoint = lead & 0x1Fu, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, codePoint = lead & 0x0Fu, smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, codePoint = lead & 0x07u, smallest = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if ((byte & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (byte & 0x3Fu);
        }
        if (codePoint < smallest || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace fuzzing
