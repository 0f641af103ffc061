#include "requesthead.h"

namespace standin {

CRequestHead::EState CRequestHead::Take(std::string_view bytes) {
    if (mState != EState::Incomplete) {
        return mState;
    }
    size_t used = 0;
    while (used < bytes.size() && mState == EState::Incomplete) {
        mState = Step(bytes[used++]);
    }
    if (mState == EState::Incomplete || mState == EState::Complete) {
        mBytes.append(mState == EState::Complete ? bytes : bytes.substr(0, used));
    }
    return mState;
}

CRequestHead::EState CRequestHead::Step(char c) {
    if (mInRequestLine && ++mRequestLineBytes > kMaxRequestLineBytes) {
        return EState::RequestLineTooLong;
    }
    if (!mInRequestLine && ++mHeaderBlockBytes > kMaxHeaderBlockBytes) {
        return EState::HeaderTooLarge;
    }
    if (c == '\r') {
        return EState::Incomplete;
    }
    if (c != '\n') {
        ++mLineLength;
        return EState::Incomplete;
    }
    const size_t length = mLineLength;
    mLineLength = 0;
    if (mInRequestLine) {
        mInRequestLine = false;
        return EState::Incomplete;
    }
    if (length == 0) {
        return EState::Complete;
    }
    return ++mHeaderLines > kMaxHeaderLines ? EState::HeaderTooLarge : EState::Incomplete;
}

}  // namespace standin
