// The line reader: the first byte is the buffer size of the reads, the rest
// the file's bytes.
#include "FuzzInput.h"
#include "app/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t limit = data[0];
    const std::string_view bytes = AsText(data + 1, size - 1);

    // The text mode view: a CR right before an LF is dropped.
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            text.push_back(bytes[i]);

    TextLineReader reader(bytes);
    std::string joined;
    int reads = 0;
    while (const std::optional<std::string> line = reader.ReadLine(limit)) {
        FUZZ_CHECK(!line->empty() && line->size() < limit);
        const auto feed = line->find('\n');
        FUZZ_CHECK(feed == std::string::npos || feed + 1 == line->size());
        // A read ends at a line feed, at the end, or when the buffer is full.
        FUZZ_CHECK(feed != std::string::npos || line->size() == limit - 1 || joined.size() + line->size() == text.size());
        joined += *line;
        FUZZ_CHECK(++reads <= static_cast<int>(text.size()));
    }
    FUZZ_CHECK(limit < 2 ? joined.empty() : joined == text);

    // What is written comes back as it was.
    TextLineReader back(ToWindowsText(text));
    std::string again;
    while (const std::optional<std::string> line = back.ReadLine(4096))
        again += *line;
    FUZZ_CHECK(again == text);
    return 0;
}
