#pragma once

#include <iosfwd>
#include <mutex>
#include <string_view>

// Where diagnostic lines go: each line is written whole and flushed, so lines from several threads
// never interleave. The programs pass one sink to the parts that report; tests pass their own.
class DiagnosticSink {
  public:
    virtual ~DiagnosticSink() = default;
    virtual void WriteLine(std::string_view line) = 0;
};

class StreamSink final : public DiagnosticSink {
  public:
    explicit StreamSink(std::ostream& stream) : mStream(stream) {}
    void WriteLine(std::string_view line) override;

  private:
    std::ostream& mStream;
    std::mutex mLock;
};

// The standard-output sink every program uses unless told otherwise.
DiagnosticSink& StandardOutputSink();
