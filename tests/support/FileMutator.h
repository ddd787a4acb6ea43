// Seeded damage to a text file's bytes, as damaged files meet a reader: flipped bytes, cut
// ends, stray or lost bytes, repeated lines, numbers at and past the edges of their fields,
// lost attributes or fields, unbalanced quotes, very long lines and NULs.
#pragma once
#include <random>
#include <string>

namespace testing_support {

class FileMutator
{
public:
    explicit FileMutator(unsigned seed) : m_random(seed) {}

    // One to three edits of the text.
    std::string Mutate(std::string text);

private:
    size_t Below(size_t limit) { return limit == 0 ? 0 : m_random() % limit; }
    void MutateOnce(std::string& text);
    void DuplicateLine(std::string& text, size_t at);
    void ReplaceNumber(std::string& text, size_t at);
    // An XML attribute (name="value") or a quoted CSV field with its comma.
    void RemoveAttributeOrField(std::string& text, size_t at);
    void UnbalanceQuote(std::string& text, size_t at);

    std::mt19937 m_random;
};

}  // namespace testing_support
