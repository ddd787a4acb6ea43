// The XML library parses and frees nested elements recursively, so a damaged file nested
// deeply enough overflows the stack. Our files are a few levels deep; anything nested
// deeper than this is refused before it is parsed.
#pragma once
#include <string>

const int XML_MAX_ELEMENT_DEPTH = 256;

// True when the text opens more than XML_MAX_ELEMENT_DEPTH elements inside each other;
// deepAt, when given, gets the offset of the start tag that went too deep.
bool XmlNestsTooDeep(const std::string& text, size_t* deepAt = nullptr);
