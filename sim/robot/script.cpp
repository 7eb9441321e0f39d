#include "sim/robot/script.h"

#include <cstdlib>
#include <map>

namespace robot {

namespace {

// Splits a line into words; a double-quoted word may hold blanks. False on
// an unclosed quote.
bool Words(const std::string& line, std::vector<std::string>& words)
{
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        if (line[i] == '"') {
            const size_t end = line.find('"', i + 1);
            if (end == std::string::npos) return false;
            words.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        words.push_back(line.substr(start, i - start));
    }
    return true;
}

bool Number(const std::string& word, long min, long max, long& value)
{
    if (word.empty()) return false;
    char* end = nullptr;
    const long n = std::strtol(word.c_str(), &end, 0);
    if (!end || *end != '\0' || n < min || n > max) return false;
    value = n;
    return true;
}

struct Form {
    Op op;
    size_t args;          // words after the verb before the options
    bool idFirst;         // the first argument is a control id
    long valueMax;        // the second argument is a number up to this (-1: a text)
    const char* options;  // "class", "caption", "timeout" allowed after the arguments
};

const std::map<std::string, Form>& Forms()
{
    static const std::map<std::string, Form> forms = {
        {"window", {Op::Window, 1, false, -1, "class timeout"}},
        {"box", {Op::Box, 1, true, -1, "caption timeout"}},
        {"click", {Op::Click, 1, true, -1, ""}},
        {"tick", {Op::Tick, 2, true, 1, ""}},
        {"type", {Op::Type, 2, true, -1, ""}},
        {"text", {Op::Text, 2, true, -1, ""}},
        {"check", {Op::Check, 2, true, 2, ""}},
        {"enabled", {Op::Enabled, 2, true, 1, ""}},
        {"read", {Op::Read, 1, true, -1, ""}},
        {"screenshot", {Op::Screenshot, 1, false, -1, ""}},
        {"gone", {Op::Gone, 0, false, -1, "timeout"}},
        {"sleep", {Op::Sleep, 1, false, -1, ""}},
    };
    return forms;
}

bool ParseLine(const std::vector<std::string>& words, Step& step, std::string& why)
{
    const auto form = Forms().find(words[0]);
    if (form == Forms().end()) {
        why = "unknown step '" + words[0] + "'";
        return false;
    }
    const Form& f = form->second;
    step.op = f.op;
    if (words.size() < 1 + f.args) {
        why = "'" + words[0] + "' takes " + std::to_string(f.args) + " argument(s)";
        return false;
    }
    long n = 0;
    if (f.args >= 1) {
        const std::string& a = words[1];
        if (f.idFirst) {
            if (!Number(a, 0, 0xFFFF, n)) {
                why = "bad control id '" + a + "'";
                return false;
            }
            step.id = static_cast<int>(n);
        } else if (f.op == Op::Sleep) {
            if (!Number(a, 0, 60000, n)) {
                why = "bad sleep '" + a + "' (0 to 60000 ms)";
                return false;
            }
            step.timeoutMs = static_cast<std::uint32_t>(n);
        } else {
            step.text = a;
        }
    }
    if (f.args >= 2) {
        const std::string& b = words[2];
        if (f.valueMax >= 0) {
            if (!Number(b, 0, f.valueMax, n)) {
                why = "bad state '" + b + "'";
                return false;
            }
            step.value = static_cast<int>(n);
        } else {
            step.text = b;
        }
    }
    const std::string allowed = std::string(" ") + f.options + " ";
    for (size_t i = 1 + f.args; i < words.size(); i += 2) {
        const std::string& key = words[i];
        if (allowed.find(" " + key + " ") == std::string::npos || i + 1 >= words.size()) {
            why = "unexpected '" + key + "'";
            return false;
        }
        const std::string& value = words[i + 1];
        if (key == "timeout") {
            if (!Number(value, 1, 600000, n)) {
                why = "bad timeout '" + value + "'";
                return false;
            }
            step.timeoutMs = static_cast<std::uint32_t>(n);
        } else if (key == "class") {
            step.className = value;
        } else {
            step.text = value;  // the box's caption
        }
    }
    return true;
}

}  // namespace

bool ParseScript(const std::string& text, std::vector<Step>& steps, std::string& error)
{
    steps.clear();
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> words;
        if (!Words(line, words)) {
            error = "line " + std::to_string(lineNo) + ": unclosed quote";
            return false;
        }
        if (words.empty() || words[0][0] == '#') continue;
        Step step;
        step.line = lineNo;
        step.source = line.substr(line.find_first_not_of(" \t"));
        std::string why;
        if (!ParseLine(words, step, why)) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        }
        steps.push_back(step);
    }
    return true;
}

}  // namespace robot
