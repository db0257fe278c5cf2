// Thousands of random events against the built program: keys, drags with every plane,
// menu picks answered with good and bad words, and resizes down to a single pixel.
#include "program_session.h"

#include <random>

namespace {

using namespace std::chrono_literals;
using namespace harness;

using Soak = ProgramSession;

constexpr int EVENTS = 3000;
constexpr auto TIME_LIMIT = 240s;
constexpr long MEMORY_SLACK_KIB = 1024;

TEST_F(Soak, RandomEventsLeaveItRunningQuietAndSteady) {
    std::mt19937 rng(20261206);
    const auto chance = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const char* keys[] = {"w", "d", "a", "s", "h", "W", "m", "p", "r", "x", "space"};
    const char* words[] = {"3", "-4", "0.5", "12", "20", "1e-3", "abc", "nan", "1e99", "1.5abc"};
    const std::pair<int, int> sizes[] = {{640, 480}, {480, 640}, {1, 1},     {2, 3},
                                         {10, 10},   {50, 30},   {900, 200}, {300, 700}};
    int prompts[2] = {0, 0}; // start-point and direction dialogues so far
    long residentAfterWarmUp = 0;
    int sent = 0;
    const auto deadline = xs::Clock::now() + TIME_LIMIT;
    for (; sent < EVENTS && xs::Clock::now() < deadline; ++sent) {
        if (sent == 100) {
            residentAfterWarmUp = program.residentKiB();
        }
        const int kind = chance(100);
        if (kind < 45) {
            pointAt(chance(640), chance(480));
            client.key(keys[chance(static_cast<int>(std::size(keys)))]);
        } else if (kind < 85) {
            // A drag of a few steps with a random plane (or none) selected.
            pointAt(chance(640), chance(480));
            client.key(keys[chance(5)]);
            client.button(1 + chance(2), true);
            for (int step = chance(4); step >= 0; --step) {
                client.movePointer(window.x + chance(640), window.y + chance(480));
            }
            client.button(1, false);
            client.button(2, false);
        } else if (kind < 95) {
            const int entry = chance(MENU_ENTRIES);
            // freeglut opens no menu for a click in a one-pixel window; give it room.
            window = client.describe(window.id);
            if (window.width < 20 || window.height < 20) {
                client.resize(window.id, 640, 480);
            }
            ASSERT_NO_FATAL_FAILURE(pick(entry));
            const auto reply = [&] { return std::string(words[chance(10)]) + "\n"; };
            if (entry == MENU_START) {
                ++prompts[0];
                ASSERT_NO_FATAL_FAILURE(answer("x(0 - 35) = ", prompts[0], reply()));
                ASSERT_NO_FATAL_FAILURE(answer("y(0 -25) = ", prompts[0], reply()));
            } else if (entry == MENU_DIRECTION) {
                ++prompts[1];
                ASSERT_NO_FATAL_FAILURE(answer("x = ", prompts[1], reply()));
                ASSERT_NO_FATAL_FAILURE(answer("y = ", prompts[1], reply()));
                ASSERT_NO_FATAL_FAILURE(answer("coords are ", prompts[1], ""));
            }
        } else {
            const auto& size = sizes[chance(static_cast<int>(std::size(sizes)))];
            client.resize(window.id, size.first, size.second);
        }
        ASSERT_TRUE(program.running()) << "after event " << sent;
    }
    EXPECT_GE(sent, 2000) << "too few events in the time allowed";
    EXPECT_GT(prompts[0] + prompts[1], 20);

    // A last round trip: the program still answers the menu and the console.
    client.resize(window.id, 640, 480);
    pick(MENU_DIRECTION);
    answer("x = ", prompts[1] + 1, "0 1\n");
    answer("coords are 0.000000 1.000000", 1, "");

    const long residentAtEnd = program.residentKiB();
    EXPECT_LE(std::labs(residentAtEnd - residentAfterWarmUp), MEMORY_SLACK_KIB)
        << "resident " << residentAfterWarmUp << " KiB after 100 events, " << residentAtEnd
        << " KiB at the end";
    RecordProperty("events", sent);
    RecordProperty("resident_kib", static_cast<int>(residentAtEnd));
}

} // namespace
