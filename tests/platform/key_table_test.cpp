#include "platform/key_table.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace filarion::platform {
namespace {

// Keys from a small alphabet and short lengths, so that a random key is often one already held, and now and then
// one at or past the longest key the table takes.
std::string randomKey(std::mt19937& random) {
    const int pick = std::uniform_int_distribution<int>(0, 199)(random);
    if (pick == 0) {
        return std::string(KeyTable::kLongestKey + std::uniform_int_distribution<int>(0, 1)(random), 'k');
    }
    std::string key(std::size_t(std::uniform_int_distribution<int>(0, 6)(random)), ' ');
    for (char& c : key) {
        c = "ab\0/\xff"[std::uniform_int_distribution<int>(0, 4)(random)];
    }
    return key;
}

// Whatever the steps, the table holds exactly the keys, with their flags, that std::unordered_map holds after
// the same steps: staged keys indexed once, then inserts (some over the bytes of a key erased next, as a rename
// does), erases and look-ups, through growth and rebuilding.
TEST(KeyTable, HoldsWhatAnUnorderedMapHoldsAfterAnySteps) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        KeyTable table;
        std::unordered_map<std::string, bool> model;
        const int staged = std::uniform_int_distribution<int>(0, 300)(random);
        for (int i = 0; i < staged; ++i) {
            const std::string key = randomKey(random);
            const bool file = (random() & 1) != 0;
            table.stage(key, file);
            if (key.size() <= KeyTable::kLongestKey) {
                model.emplace(key, file);
            }
        }
        table.index();
        for (int step = 0; step < 3000; ++step) {
            const std::string key = randomKey(random);
            const bool file = (random() & 1) != 0;
            const std::size_t slot = table.find(key);
            ASSERT_EQ(slot != KeyTable::npos, model.count(key) == 1) << "seed " << seed << " step " << step;
            if (slot != KeyTable::npos) {
                ASSERT_EQ(table.isFile(slot), model.at(key));
            }
            if (const auto kind = random() % 3; kind == 1) {
                if (slot != KeyTable::npos) {
                    table.erase(slot);
                    model.erase(key);
                }
            } else { // an insert; with kind 0 a rename, whose new key may take the old one's bytes
                const std::string other = kind == 0 ? randomKey(random) : std::string();
                if (kind == 0) {
                    table.reserveOne();
                }
                const std::size_t old = kind == 0 ? table.find(other) : KeyTable::npos;
                const bool inserted = table.insert(key, file, old);
                ASSERT_EQ(inserted, key.size() <= KeyTable::kLongestKey && model.count(key) == 0);
                if (inserted) {
                    model.emplace(key, file);
                    if (old != KeyTable::npos) {
                        table.erase(old);
                        model.erase(other);
                    }
                }
            }
            ASSERT_EQ(table.size(), model.size()) << "seed " << seed << " step " << step;
        }
        std::unordered_map<std::string, bool> listed;
        table.forEach([&](std::string_view key, bool isFile) { EXPECT_TRUE(listed.emplace(key, isFile).second); });
        EXPECT_EQ(listed, model) << "seed " << seed;
    }
}

} // namespace
} // namespace filarion::platform
