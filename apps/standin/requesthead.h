#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace standin {

// Caps on a request's head, far above what the client sends (a request line of a few hundred
// bytes, two header lines), so that no client can make the stand-in hold more than a few KiB for
// it. A request line (its line end included) beyond its cap is answered 414; a header block (the
// lines after the request line, their line ends and the empty line included) or a count of header
// lines beyond its cap is answered 431.
inline constexpr size_t kMaxRequestLineBytes = 8 * 1024;
inline constexpr size_t kMaxHeaderBlockBytes = 8 * 1024;
inline constexpr size_t kMaxHeaderLines = 64;

// Follows a request's head as its bytes arrive, line by line (a line ends at LF, a CR before it
// belongs to the line end), up to the empty line that ends it or the first cap it passes.
class CRequestHead {
  public:
    enum class EState {
        Incomplete,
        Complete,
        RequestLineTooLong,  // 414
        HeaderTooLarge,      // 431: too many bytes or lines
    };

    // Takes the next bytes that arrived, and keeps them while the head is incomplete or once it is
    // complete; bytes after a passed cap are not kept. Once the state is no longer Incomplete,
    // further bytes change nothing.
    EState Take(std::string_view bytes);

    // The head as far as it came, and after a complete head whatever followed it in the same read.
    const std::string& Bytes() const { return mBytes; }

  private:
    EState Step(char c);

    EState mState = EState::Incomplete;
    std::string mBytes;
    bool mInRequestLine = true;
    size_t mLineLength = 0;  // the current line's bytes so far, CRs not counted
    size_t mRequestLineBytes = 0;
    size_t mHeaderBlockBytes = 0;
    size_t mHeaderLines = 0;
};

}  // namespace standin
