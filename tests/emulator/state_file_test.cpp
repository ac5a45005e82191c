// The register's memory on disk: what a run leaves, the next run finds.
#include "emulator/state_file.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "tests/emulator/register_session.hpp"

namespace zirok::emulator {
namespace {

class SavedState : public testing::RegisterSession {};

TEST_F(SavedState, RoundTripsAWorkingRegisterMidReceipt) {
    openSale("Иванова");
    ASSERT_EQ(error(0x12, {"30", "3", utf8ToCp866("Склад №2")}), 0);
    ASSERT_EQ(addItem("Tea", "1/3", "30.000000", 1, 4, "0.050"), 0);
    ASSERT_EQ(error(0x57, {"1008", "0", " ", "buyer@example.ru"}), 0);
    ASSERT_EQ(error(0x47, {"1", "5.00", ""}), 0);
    model.state().pictures[3] = Picture{8, 2, std::string("\x81\x00", 2)};
    model.state().logo = std::string("BM\0\x01 x", 6);
    model.state().marking.keysDue = true;
    const std::string saved = serializeState(model.state());

    testing::RegisterDriver next;
    next.hostNow = hostNow;
    parseState(saved, next.model.state());
    EXPECT_EQ(serializeState(next.model.state()), saved);

    // The next run carries on where this one stopped: after a power cycle
    // the day is started again and the open receipt is finished.
    EXPECT_EQ(next.status().fatal, 0x40u);
    next.startDay();
    EXPECT_EQ(next.status().doc, 0x22u);
    EXPECT_EQ(next.error(0x47, {"0", "5.05", ""}), 0);
    const Answer closed = next.send(0x31, {"5"});
    ASSERT_EQ(closed.error, 0);
    EXPECT_EQ(std::stoul(closed.fields.at(0)), model.state().lastDocumentNumber() + 1);
    EXPECT_EQ(next.send(0x11, {"30", "3"}).fields.at(0), utf8ToCp866("Склад №2"));
}

TEST_F(SavedState, SavesWholeAndRefusesAFileItCannotRead) {
    const auto folder =
        std::filesystem::temp_directory_path() /
        ("zirok-state-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "register.state").string();

    RegisterState fresh;
    EXPECT_FALSE(loadState(fresh, path)) << "no file: a new register";
    openSale();
    saveState(model.state(), path);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left behind";
    RegisterState loaded;
    ASSERT_TRUE(loadState(loaded, path));
    EXPECT_TRUE(loaded.shift.open);
    EXPECT_EQ(loaded.archive.size(), model.state().archive.size());

    for (const char* broken :
         {"", "something else 1\n", "zirok-emulator-state 1\nshift 1 x\n",
          "zirok-emulator-state 1\nitem - - 1\n", "zirok-emulator-state 1\ntable 99 0 -\n",
          "zirok-emulator-state 1\nstored 1 3 0 1 2 100 1 1 zz\n"}) {
        RegisterState target;
        EXPECT_THROW(parseState(broken, target), std::runtime_error) << broken;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zirok::emulator
