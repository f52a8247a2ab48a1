#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>

#include "framework/errorclass.h"

using namespace tavlo;

namespace {

class ErrorClassTest : public ::testing::Test {
  protected:
    ScriptedDialogs answers;
    ErrorClass errors{&answers};
    ErrorState state;

    const Message& last() const { return answers.shown.back(); }
};

} // namespace

TEST_F(ErrorClassTest, DuplicateKeyIsANoticeNamingTheKey)
{
    EXPECT_EQ(errors.THROWMESSAGE(state, MSG_DUPLICATE_KEY, "KOD:KeyGruppe_Nr   "), LEVEL_NOTIFY);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(last().text,
              "Adding this record creates a duplicate entry for the key: KOD:KeyGruppe_Nr");
    EXPECT_EQ(last().caption, "Duplicate Key Error");
    EXPECT_EQ(last().buttons, BUTTON_OK);
    EXPECT_EQ(last().icon, Icon::Exclamation);
    EXPECT_EQ(answers.halts, 0);
}

TEST_F(ErrorClassTest, FatalAndProgramLevelsEndTheProgram)
{
    state.currentErrorCode = 2;
    state.currentErrorText = "File Not Found";
    EXPECT_EQ(errors.THROWFILE(state, MSG_OPEN_ERROR, "KUNDE  "), LEVEL_FATAL);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(last().text, "File KUNDE could not be opened.  Error: File Not Found (2).  Press OK "
                           "to end this application");
    EXPECT_EQ(last().caption, "File Access Error");
    EXPECT_EQ(last().buttons, BUTTON_OK);
    EXPECT_EQ(last().icon, Icon::Exclamation);
    EXPECT_EQ(answers.halts, 1);

    // Level 2 and levels outside 0..5 are fatal as well.
    EXPECT_EQ(errors.THROWFILE(state, MSG_USE_BEFORE_OPEN, "PARAM"), LEVEL_FATAL);
    errors.ADDERROR({700, 9, "Odd", "Odd level", ""});
    EXPECT_EQ(errors.TAKEERROR(state, 700), LEVEL_FATAL);
    EXPECT_EQ(answers.halts, 3);
    EXPECT_EQ(last().text, "Odd level  Press OK to end this application");
}

TEST_F(ErrorClassTest, QuestionsAnswerZeroOnYesAndCancelOtherwise)
{
    answers.answer(BUTTON_NO);
    EXPECT_EQ(errors.TAKEERROR(state, MSG_CONFIRM_DELETE), LEVEL_CANCEL);
    EXPECT_EQ(last().caption, "Bekreft Sletting");
    EXPECT_EQ(last().text, "Er du sikker p\xC3\xA5 at du vil slette den markerte posten?");
    EXPECT_EQ(last().icon, Icon::Question);
    EXPECT_EQ(last().buttons, BUTTON_YES | BUTTON_NO);
    EXPECT_EQ(last().defaultButton, BUTTON_YES);

    answers.answer(BUTTON_YES);
    EXPECT_EQ(errors.TAKEERROR(state, MSG_CONFIRM_DELETE), LEVEL_BENIGN);
    // Nothing scripted: the default button, Yes.
    EXPECT_EQ(errors.TAKEERROR(state, MSG_SAVE_RECORD), LEVEL_BENIGN);
    // A cancel-level entry asks the same way.
    errors.ADDERROR({701, LEVEL_CANCEL, "Q", "Go on?", ""});
    answers.answer(BUTTON_NO);
    EXPECT_EQ(errors.TAKEERROR(state, 701), LEVEL_CANCEL);
    EXPECT_EQ(answers.halts, 0);
}

TEST_F(ErrorClassTest, UnknownAndUnusedIdsShowNothing)
{
    state.title = "old";
    for (uint16_t id : {22, 32, 44, 9999})
        EXPECT_EQ(errors.TAKEERROR(state, id), LEVEL_BENIGN) << id;
    EXPECT_EQ(state.level, 0);
    EXPECT_EQ(state.title, "");
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(ErrorClassTest, PlaceholdersAreFoundInAnyCaseAndLongestFirst)
{
    state.file = "FAKTURA.TPS";
    state.key = "FAK:NR_KEY";
    state.field = "FAK:KUNDENR";
    state.text = "melding";
    state.fileErrorCode = 1205;
    state.fileErrorText = "Driver says no";
    state.errorCode = 5;
    state.errorText = "Access Denied";
    EXPECT_EQ(errors.substitute(state, "%file/%FILE"), "FAKTURA.TPS/FAKTURA.TPS");
    EXPECT_EQ(errors.substitute(state, "[%FileErrorCode][%FileError][%File]"),
              "[1205][Driver says no][FAKTURA.TPS]");
    EXPECT_EQ(errors.substitute(state, "[%ErrorCode][%ErrorText][%Error]"),
              "[5][Access Denied (5)][Access Denied]");
    EXPECT_EQ(errors.substitute(state, "%key %field %MESSAGE"), "FAK:NR_KEY FAK:KUNDENR melding");
    // For these two codes the platform's text says nothing; the driver's does.
    for (int code : {90, 100}) {
        state.errorCode = code;
        EXPECT_EQ(errors.substitute(state, "%ErrorText"), "Driver says no (1205)");
    }
}

TEST_F(ErrorClassTest, ValuesHoldingPlaceholdersAreNotExpandedAgain)
{
    state.text = "%Message";
    EXPECT_EQ(errors.substitute(state, "key: %Message"), "key: %Message");
    state.text = "a %message b";
    EXPECT_EQ(errors.substitute(state, "<%Message|%Message>"), "<a %message b|a %message b>");
}

TEST_F(ErrorClassTest, WorkTextIsLimitedTo2000BytesWithoutSplittingACharacter)
{
    state.text = std::string(1998, 'x') + "\xC3\x98\xC3\x98"; // 1998 bytes, then two "Ø"
    const std::string out = errors.substitute(state, "%Message");
    EXPECT_EQ(out.size(), 2000u);
    EXPECT_EQ(out.substr(1998), "\xC3\x98");

    state.text = std::string(1999, 'x') + "\xC3\x98";
    EXPECT_EQ(errors.substitute(state, "%Message").size(), 1999u);
}

TEST_F(ErrorClassTest, SetErrorsCapturesTheCurrentValuesAtThrowTime)
{
    state.currentErrorCode = 33;
    state.currentErrorText = "Record Not Available";
    state.currentFileErrorCode = 7;
    state.currentFileErrorText = "busy";
    errors.THROWFILE(state, MSG_UPDATE_ERROR, "KUNDE");
    EXPECT_EQ(last().text, "An error (Record Not Available (33)) was experienced when making "
                           "changes to the KUNDE file.");
    EXPECT_EQ(state.fileErrorCode, 7);
    EXPECT_EQ(state.fileErrorText, "busy");

    // TAKEERROR alone uses what was captured before, not what the storage reports now.
    state.currentErrorCode = 0;
    state.currentErrorText.clear();
    errors.TAKEERROR(state, MSG_UPDATE_ERROR);
    EXPECT_EQ(answers.shown.back().text, answers.shown.front().text);
}

TEST_F(ErrorClassTest, ProcedureCategoryAndPreviousComeFromTheContext)
{
    errors.SETPROCEDURENAME(state, "MainFrame");
    errors.SETPROCEDURENAME(state, "KontaktForm");
    EXPECT_EQ(errors.GETPROCEDURENAME(state), "KontaktForm");
    errors.ADDERROR({703, LEVEL_NOTIFY, "T", "%Procedure in %Category after [%Previous]", ""});
    errors.TAKEERROR(state, MSG_RECORD_CHANGED);
    errors.TAKEERROR(state, 703);
    EXPECT_EQ(last().text,
              "KontaktForm in Tavlo after [This record was changed by another station.]");
    EXPECT_EQ(state.previousId, MSG_RECORD_CHANGED);

    errors.SETPROCEDURENAME(state, "", true);
    EXPECT_EQ(errors.GETPROCEDURENAME(state), "MainFrame");
    errors.SETPROCEDURENAME(state, "", true);
    errors.SETPROCEDURENAME(state, "", true); // popping an empty list is harmless
    EXPECT_EQ(errors.GETPROCEDURENAME(state), "");
}

TEST_F(ErrorClassTest, MessageShowsTheEntryWithTheCallersButtons)
{
    answers.answer(BUTTON_CANCEL);
    EXPECT_EQ(errors.MESSAGE(state, MSG_SAVE_RECORD, BUTTON_YES | BUTTON_NO | BUTTON_CANCEL,
                             BUTTON_CANCEL),
              BUTTON_CANCEL);
    EXPECT_EQ(last().caption, "Lagre post");
    EXPECT_EQ(last().text, "Vil du lagre endringer i denne posten?");
    EXPECT_EQ(last().icon, Icon::Question);
    EXPECT_EQ(last().buttons, BUTTON_YES | BUTTON_NO | BUTTON_CANCEL);
    EXPECT_EQ(last().defaultButton, BUTTON_CANCEL);

    errors.SETFILE(state, "PRODUKT");
    EXPECT_EQ(errors.MESSAGE(state, MSG_ACCESS_DENIED, BUTTON_OK, BUTTON_OK), BUTTON_OK);
    EXPECT_EQ(last().text, "Could not get write access to PRODUKT so trying read-only.");
    EXPECT_EQ(last().icon, Icon::Exclamation);
}

TEST_F(ErrorClassTest, ContextsNeverSeeEachOthersTexts)
{
    // A thread-safe recorder: the two contexts below run at the same time.
    struct Recorder : AnswerService {
        std::mutex m;
        std::vector<std::string> texts;
        unsigned message(const Message& msg) override
        {
            std::lock_guard g(m);
            texts.push_back(msg.text);
            return msg.defaultButton;
        }
        void halt(const std::string&) override {}
    } recorder;
    errors.setAnswers(&recorder);

    auto run = [&](const char* file) {
        ErrorState own;
        own.currentErrorText = file;
        for (int i = 0; i < 300; ++i)
            errors.THROWFILE(own, MSG_CLOSE_ERROR, file);
    };
    std::thread a(run, "KUNDE"), b(run, "PRODUKT");
    a.join();
    b.join();

    ASSERT_EQ(recorder.texts.size(), 600u);
    for (const auto& t : recorder.texts)
        EXPECT_TRUE(t == "File KUNDE could not be closed.  Error: KUNDE (0)." ||
                    t == "File PRODUKT could not be closed.  Error: PRODUKT (0).")
            << t;
}

TEST(ErrorCatalogue, BuiltinBlockHoldsEveryEntryTheSystemUses)
{
    const std::string block = ErrorClass::builtinCatalogue();
    ASSERT_GE(block.size(), 2u);
    EXPECT_EQ(block.substr(0, 2), std::string("\x29\x00", 2)); // 41 entries

    ErrorClass errors;
    for (uint16_t id = 1; id <= 53; ++id) {
        const bool used = id <= 43 && id != 22 && id != 32;
        EXPECT_EQ(errors.find(id) != nullptr, used) << id;
    }
    const auto level = [&](uint16_t id) { return errors.find(id)->level; };
    for (uint16_t id : {3, 10, 11, 35, 36, 37, 38, 39, 40})
        EXPECT_EQ(level(id), LEVEL_USER) << id;
    for (uint16_t id : {12, 26, 29})
        EXPECT_EQ(level(id), LEVEL_FATAL) << id;
    EXPECT_EQ(level(42), LEVEL_PROGRAM);
    EXPECT_EQ(level(1), LEVEL_NOTIFY);

    const CatalogueEntry* e = errors.find(MSG_NO_RECORDS);
    EXPECT_EQ(e->title, "Ingen poster");
    EXPECT_EQ(e->message, "Det er ingen poster tilgjenngelig for prosessering.");
    EXPECT_EQ(e->category, "Tavlo");
    EXPECT_EQ(errors.find(MSG_AUTOINC_ERROR)->message,
              "Attempts to automatically number this record have failed.|File: %File|Key: "
              "%Key|Error: %ErrorText.|Try Again?");
}

TEST(ErrorCatalogue, BlocksLoadOnlyWhenWholeAndTheNewestEntryWins)
{
    ScriptedDialogs answers;
    ErrorClass errors(&answers);
    ErrorState state;
    const std::string block = ErrorClass::builtinCatalogue();
    // id 15, level 5, "Dobbel", "Finnes: %Message"
    const std::string entry("\x0F\x00\x05\x06"
                            "Dobbel\x10"
                            "Finnes: %Message",
                            27);
    const std::string one = std::string("\x01\x00", 2) + entry;
    EXPECT_FALSE(errors.ADDERRORS(""));
    EXPECT_FALSE(errors.ADDERRORS(std::string("\x02\x00", 2) + entry)); // count too high
    EXPECT_FALSE(errors.ADDERRORS(one + "x"));                          // bytes left over
    EXPECT_FALSE(errors.ADDERRORS(one.substr(0, one.size() - 1)));
    EXPECT_FALSE(errors.ADDERRORS(block.substr(0, block.size() - 3)));
    errors.THROWMESSAGE(state, MSG_DUPLICATE_KEY, "NR");
    EXPECT_EQ(answers.shown.back().caption, "Duplicate Key Error");

    EXPECT_TRUE(errors.ADDERRORS(one));
    errors.THROWMESSAGE(state, MSG_DUPLICATE_KEY, "NR");
    EXPECT_EQ(answers.shown.back().text, "Finnes: NR");
    EXPECT_EQ(state.category, "Tavlo");

    // Removing the override brings the built-in entry back.
    errors.REMOVEERROR(MSG_DUPLICATE_KEY);
    EXPECT_EQ(errors.find(MSG_DUPLICATE_KEY)->title, "Duplicate Key Error");
    errors.REMOVEERROR(MSG_DUPLICATE_KEY);
    EXPECT_EQ(errors.find(MSG_DUPLICATE_KEY), nullptr);
}

TEST(ErrorWithoutAnswerService, NoticesAreShownQuestionsDeclinedAndFatalErrorsHalt)
{
    ErrorClass errors;
    ErrorState state;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(errors.THROW(state, MSG_RECORD_CHANGED), LEVEL_NOTIFY);
    // Nobody can answer: "try again?" and the like must not loop or go ahead.
    EXPECT_EQ(errors.THROW(state, MSG_CONFIRM_CANCEL), LEVEL_CANCEL);
    EXPECT_THROW(errors.THROWFILE(state, MSG_OPEN_ERROR, "KUNDE"), HaltProgram);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Record Was Not Updated: This record was changed by another station.\n"),
              std::string::npos);
}

TEST(ConsoleAnswers, OneLinePerMessageAndHaltThrows)
{
    ConsoleAnswers console;
    Message m;
    m.caption = "Record Insert Error";
    m.text = "An error was experienced.|File: KUNDE|Error: x.  Press OK|";
    m.buttons = BUTTON_YES | BUTTON_NO;
    m.defaultButton = BUTTON_NO;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(console.message(m), BUTTON_NO);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Record Insert Error: An error was experienced. File: KUNDE Error: x. Press OK\n");

    EXPECT_THROW(console.halt("File Access Error"), HaltProgram);
}
