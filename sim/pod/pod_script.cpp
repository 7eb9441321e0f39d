// The pod's stored command list: storing it, running a script from it (with
// its retry blocks, comparisons and jumps) and patching the data of its scan
// steps. The semantics are those of the "Pod scripts" section of pod.h.
#include <algorithm>
#include <set>
#include <vector>

#include "sim/pod/pod.h"
#include "sim/pod/pod_request.h"
#include "sim/pod/pod_words.h"

namespace sim {

namespace {

using namespace pod_words;

bool is_step(std::uint32_t word) { return word == kScanWrite || word == kScanRead || word == kScanExchange; }

// A script that never reaches its end entry still ends: no stored list can
// hold more entries than this.
constexpr std::size_t kMaxScriptEntries = 1u << 20;
// Blocks open at once; deeper nesting is a protocol error.
constexpr std::size_t kMaxBlockDepth = 64;

// Words the entry at `at` takes, or 0 when it is no entry or runs past the list.
std::size_t entry_words(const std::vector<std::uint32_t>& list, std::size_t at) {
    if (at >= list.size()) return 0;
    const std::uint32_t word = list[at];
    std::size_t words = 0;
    if (is_step(word) || word == kBlockOpen || word == kJumpIfMatched || word == kBlockFailed) words = 2;
    else if (word == kRepeatStep) words = 3;
    else if (word == kBlockEnd || word == kEndScript) words = 1;
    else if (word == kCompare) {
        if (at + 1 >= list.size()) return 0;
        words = 2 + static_cast<std::size_t>(list[at + 1]);
    }
    return words != 0 && list.size() - at >= words ? words : 0;
}

} // namespace

// What a script looks like from its start, found once per stored list: the
// reply slot of every capturing step it can reach and the closing entry of
// every block it can open.
struct Pod::ScriptLayout {
    std::map<std::size_t, std::size_t> slot;        // step position -> reply slot
    std::map<std::size_t, std::size_t> block_close; // 0x8F position -> its 0x90
    std::size_t slots = 0;
};

bool Pod::store_list(Request& rq) {
    if (!rq.has(4)) return false;
    const std::uint32_t n = rq.u32_at(rq.pos + 2);
    if ((rq.units.size() - rq.pos - 4) / 2 < n) return false;
    command_list_.clear();
    layouts_.clear();
    for (std::uint32_t i = 0; i < n; ++i) command_list_.push_back(rq.u32_at(rq.pos + 4 + 2 * i));
    rq.pos += 4 + 2 * static_cast<std::size_t>(n);
    return true;
}

const Pod::ScriptLayout* Pod::script_layout(std::uint32_t start) {
    if (auto it = layouts_.find(start); it != layouts_.end()) return it->second.get();
    const auto& list = command_list_;
    auto layout = std::make_shared<ScriptLayout>();
    std::set<std::size_t> seen, captures;
    std::vector<std::size_t> todo{start};
    while (!todo.empty()) {
        const std::size_t at = todo.back();
        todo.pop_back();
        if (at >= list.size()) continue; // the end of the list ends a script
        if (!seen.insert(at).second) continue;
        const std::size_t words = entry_words(list, at);
        if (words == 0) return nullptr;
        const std::uint32_t word = list[at];
        if (word == kEndScript) continue;
        if (word == kScanRead || word == kScanExchange) captures.insert(at);
        if (word == kJumpIfMatched) {
            if (list[at + 1] >= list.size()) return nullptr;
            todo.push_back(list[at + 1]);
        }
        if (word == kBlockOpen) {
            // The matching 0x90, counting the blocks opened and closed on the way.
            std::size_t depth = 0, close = at + words;
            for (;;) {
                const std::size_t w = entry_words(list, close);
                if (w == 0) return nullptr;
                if (list[close] == kBlockOpen) ++depth;
                if (list[close] == kBlockEnd) {
                    if (depth == 0) break;
                    --depth;
                }
                close += w;
            }
            layout->block_close[at] = close;
        }
        todo.push_back(at + words);
    }
    for (std::size_t at : captures) layout->slot[at] = layout->slots++;
    const ScriptLayout* result = layout.get();
    layouts_[start] = std::move(layout);
    return result;
}

bool Pod::run_script(Request& rq, std::uint32_t start) {
    if (start >= command_list_.size()) return false; // no script stored there
    const ScriptLayout* layout = script_layout(start);
    if (layout == nullptr) return false;
    ++log_.script_runs;
    const auto& list = command_list_;

    struct Block {
        std::size_t open, close;
        std::uint32_t passes_left;
    };
    std::vector<Block> blocks;
    Units reply(layout->slots, 0);
    Units transfer; // units captured since the current pass (or the script) began
    bool compared = false, matched = false;

    std::size_t at = start;
    for (std::size_t entries = 0; at < list.size(); ++entries) {
        if (entries == kMaxScriptEntries) return false;
        const std::uint32_t word = list[at];
        const std::size_t words = entry_words(list, at);
        if (words == 0) return false;
        if (word == kEndScript) break;
        if (is_step(word)) {
            const std::uint32_t pins = list[at + 1];
            if (auto unit = wire_step(word, static_cast<std::uint16_t>(pins & 0xFFFF),
                                      static_cast<std::uint16_t>(pins >> 16))) {
                reply[layout->slot.at(at)] = *unit;
                transfer.push_back(*unit);
            }
        } else if (word == kRepeatStep) {
            const std::uint32_t pins = list[at + 2];
            for (std::uint32_t i = 0; i < list[at + 1]; ++i)
                wire_step(kScanWrite, static_cast<std::uint16_t>(pins & 0xFFFF),
                          static_cast<std::uint16_t>(pins >> 16));
        } else if (word == kBlockOpen) {
            if (list[at + 1] == 0 || blocks.size() == kMaxBlockDepth) return false;
            blocks.push_back({at, layout->block_close.at(at), list[at + 1] - 1});
            transfer.clear();
        } else if (word == kCompare) {
            const std::size_t n = list[at + 1];
            if (transfer.size() < n) return false; // compares more than was captured
            matched = true;
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint32_t expect = list[at + 2 + i];
                if (((transfer[i] ^ expect) & (expect >> 16) & 0xFFFF) != 0) matched = false;
            }
            compared = true;
        } else if (word == kJumpIfMatched) {
            if (!compared) return false;
            if (matched) {
                const std::size_t target = list[at + 1];
                while (!blocks.empty() && !(target > blocks.back().open && target <= blocks.back().close))
                    blocks.pop_back();
                at = target;
                continue;
            }
        } else if (word == kBlockEnd) {
            if (blocks.empty() || blocks.back().close != at) return false;
            Block& block = blocks.back();
            if (block.passes_left > 0) {
                --block.passes_left;
                transfer.clear();
                at = block.open + entry_words(list, block.open);
                continue;
            }
            blocks.pop_back(); // every pass failed: on to the failure path
        } else if (word == kBlockFailed) {
            if (list[at + 1] != 0) return false;
            ++log_.block_failures;
        } else {
            return false; // an entry this pod does not run
        }
        at += words;
    }
    rq.data.insert(rq.data.end(), reply.begin(), reply.end());
    return true;
}

bool Pod::patch_script(Request& rq, std::uint32_t start) {
    // word, u16 n, n u16 words, one pad unit when n is even.
    if (!rq.has(3)) return false;
    const std::size_t n = rq.units[rq.pos + 2];
    const std::size_t units = 3 + n + (n % 2 == 0 ? 1 : 0);
    if (!rq.has(units)) return false;
    std::size_t at = start;
    for (std::size_t i = 0; i < n; ++i) {
        while (at < command_list_.size() && !is_step(command_list_[at])) {
            if (command_list_[at] == kEndScript) return false;
            const std::size_t words = entry_words(command_list_, at);
            if (words == 0) return false;
            at += words;
        }
        if (at + 1 >= command_list_.size()) return false;
        std::uint32_t& pins = command_list_[at + 1];
        pins = (pins & 0xFFFF) | (static_cast<std::uint32_t>(rq.units[rq.pos + 3 + i]) << 16);
        at += 2;
    }
    rq.pos += units;
    return true;
}

} // namespace sim
