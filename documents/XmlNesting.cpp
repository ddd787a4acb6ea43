#include "documents/XmlNesting.h"

// Counts start and end tags, skipping comments, character data, declarations and quoted
// attribute values; what this miscounts in a malformed file the parser refuses anyway.
bool XmlNestsTooDeep(const std::string& text, size_t* deepAt)
{
    int depth = 0;
    size_t at = 0;
    while ((at = text.find('<', at)) != std::string::npos) {
        if (text.compare(at, 4, "<!--") == 0) {
            at = text.find("-->", at + 4);
        } else if (text.compare(at, 9, "<![CDATA[") == 0) {
            at = text.find("]]>", at + 9);
        } else if (text.compare(at, 2, "</") == 0) {
            --depth;
            at = text.find('>', at);
        } else if (text.compare(at, 2, "<?") == 0 || text.compare(at, 2, "<!") == 0) {
            at = text.find('>', at);
        } else {
            char quote = 0;
            size_t end = at + 1;
            for (; end < text.size(); ++end) {
                const char c = text[end];
                if (quote != 0) {
                    if (c == quote)
                        quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    break;
                }
            }
            if (end == text.size())
                return false;
            if (text[end - 1] != '/' && ++depth > XML_MAX_ELEMENT_DEPTH) {
                if (deepAt != nullptr)
                    *deepAt = at;
                return true;
            }
            at = end;
        }
        if (at == std::string::npos)
            return false;
        ++at;
    }
    return false;
}
