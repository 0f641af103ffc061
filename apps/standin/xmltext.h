#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model.h"

namespace standin {

// Text for element content or an attribute value: & < > " escaped, line breaks written as
// character references (so that every element stays on one line), other control characters, which
// XML cannot carry, left out.
std::string XmlEscape(std::string_view text);

// "Wed Aug 27 13:08:45 +0000 2008", the form of the service's created_at elements.
std::string ServiceTime(Time time);

// "2008-08-27T13:08:45Z", the form of the search feed's published and updated elements.
std::string AtomTime(Time time);

bool IsValidUtf8(std::string_view text);

// Builds a document the way the service laid it out: the XML declaration alone on the first line,
// then one element per line, indented by two blanks a level, no blank lines.
class CXmlLines {
  public:
    CXmlLines();
    // With a declaration line of the writer's own.
    explicit CXmlLines(std::string_view declaration);

    // "<name attributes>" on its own line; what follows up to its Close is one level deeper.
    void Open(std::string_view name, std::string_view attributes = {});
    // The same for an array's wrapper, whose records the service wrote at the wrapper's own depth.
    void OpenArray(std::string_view name, std::string_view attributes = {});
    void Close(std::string_view name);
    // "<name>escaped text</name>" on one line.
    void Element(std::string_view name, std::string_view text);
    // The same with text already escaped as the writer escapes it.
    void Escaped(std::string_view name, std::string_view escapedText);
    // "<name/>", as some servers write an empty value.
    void Empty(std::string_view name);
    // A line written as given, at the current depth.
    void Raw(std::string_view line);

    const std::string& Text() const { return mText; }

  private:
    void OpenTag(std::string_view name, std::string_view attributes);

    std::string mText;
    int mDepth = 0;
    std::vector<bool> mIndented;  // per open element: whether it deepened the indentation
};

}  // namespace standin
