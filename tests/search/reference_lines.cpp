#include "tests/search/reference_lines.h"

std::ostream& operator<<(std::ostream& out, const RecordedLine& line) {
    return out << line.lineNumber << ":\"" << line.text << "\"";
}

std::vector<RecordedLine> NaiveLines(const std::string& data,
                                     const std::vector<uint64_t>& offsets) {
    bool crFirst = data.substr(0, 160).find('\r') != std::string::npos;
    char delimiter = crFirst ? '\r' : '\n';
    std::vector<size_t> ends; // one past the last byte of each line, delimiter included
    for (size_t i = 0; i < data.size(); ++i) {
        if (data[i] != delimiter) continue;
        const bool pair = crFirst && i + 1 < data.size() && data[i + 1] == '\n';
        ends.push_back(pair ? i + 2 : i + 1);
    }
    if (ends.empty() || ends.back() != data.size()) ends.push_back(data.size());
    std::vector<RecordedLine> lines;
    size_t index = 0;
    for (uint64_t pos : offsets) {
        while (index + 1 < ends.size() && ends[index] <= static_cast<size_t>(pos))
            ++index;
        const int32_t number = static_cast<int32_t>(index) + 1;
        if (!lines.empty() && lines.back().lineNumber == number) continue;
        const size_t start = index == 0 ? 0 : ends[index - 1];
        size_t end = data.find(delimiter, start);
        std::string line = data.substr(start, end == std::string::npos ? end : end - start);
        size_t text = 0;
        while (text < line.size() && line[text] != '\t' &&
               static_cast<unsigned char>(line[text]) < 0x20) {
            ++text;
        }
        while (text < line.size() && (line[text] == ' ' || line[text] == '\t'))
            ++text;
        lines.push_back({number, line.substr(text, 160)});
    }
    return lines;
}
