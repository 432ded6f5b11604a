#include "ShowcaseFixture.h"

USING_NS_CC;
using cocos2d::network::HttpClient;

namespace {

const char* const kAccountPath = "/circuit_get_account.asp";
const char* const kAccepted = R"({"result":"success","type":0,"token":"NEW-TOKEN","state":"success"})";
const char* const kCode = "C0DE s3cret&x";

class SignInTest : public ShowcaseFixture {
protected:
    // A returning user whose earlier sign-in left a token and a state.
    void launchReturning(const std::string& name, const std::string& code, bool state)
    {
        launch([&](UserDefault* store) {
            store->setBoolForKey("open", true);
            store->setStringForKey("savelist", R"([{"id":"20150601000000","name":"A"}])");
            store->setStringForKey("name", name);
            store->setStringForKey("code", code);
            store->setStringForKey("token", "OLD-TOKEN");
            store->setBoolForKey("state", state);
        });
    }

    static Vec2 restOf(TextFieldTTF* field)
    {
        const Size background = field->getParent()->getContentSize();
        return Vec2(background.width * 0.5f, background.height * 0.5f);
    }

    bool fieldsAtRest() const
    {
        return ed->signIn().nameField()->getPosition() == restOf(ed->signIn().nameField()) && ed->signIn().nameField()->getRotation() == 0.0f &&
               ed->signIn().codeField()->getPosition() == restOf(ed->signIn().codeField()) && ed->signIn().codeField()->getRotation() == 0.0f;
    }

    bool storedState() const { return UserDefault::getInstance()->getBoolForKey("state", false); }

    // Types into both fields and taps OK.
    void signIn(const std::string& name, const std::string& code)
    {
        tap(worldCentre(ed->signIn().nameField()->getParent()));
        app->typeText(name);
        tap(worldCentre(ed->signIn().codeField()->getParent()));
        app->typeText(code);
        app->frame();
        tap(worldCentre(ed->okButton()));
    }

    // The shake runs, then leaves both fields exactly where they stood.
    void expectShakeBackToRest()
    {
        leap(0.05);
        EXPECT_FALSE(fieldsAtRest());
        leap(0.3);
        EXPECT_TRUE(fieldsAtRest());
    }
};

} // namespace

TEST_F(SignInTest, FirstLaunchSendsNoSignIn)
{
    launch([](UserDefault*) {});
    leap(0.5);
    EXPECT_EQ(HttpClient::outstandingRequests(), 0u);
    EXPECT_FALSE(server.waitForRequests(1, 0.3));
    EXPECT_TRUE(ed->signIn().nameField()->getString().empty());
    EXPECT_TRUE(ed->signIn().codeField()->getString().empty());
}

TEST_F(SignInTest, StoredNameWithoutCodeFillsTheFieldAndSendsNothing)
{
    launchReturning("racer7", "", true);
    EXPECT_EQ(ed->signIn().nameField()->getString(), "racer7");
    EXPECT_EQ(HttpClient::outstandingRequests(), 0u);
    EXPECT_FALSE(server.waitForRequests(1, 0.3));
    EXPECT_FALSE(ed->signIn().isSignedIn());
}

TEST_F(SignInTest, LaunchWithAStoredCodeSendsOneSignInAtOnce)
{
    server.setReply(kAccountPath, FakeShowcaseServer::delayed(0.2, 200, kAccepted));
    launchReturning("racer7", kCode, false);
    // Sent while the editor was built, before any frame but the harness's first.
    EXPECT_EQ(HttpClient::outstandingRequests(), 1u);
    EXPECT_TRUE(ed->busyOverlay()->isBusy());
    EXPECT_EQ(ed->signIn().codeField()->getString(), kCode);
    ASSERT_TRUE(server.waitForRequests(1, 5));
    ASSERT_TRUE(awaitReplies());

    ASSERT_EQ(server.requestCount(), 1u);
    const FakeShowcaseServer::Request request = server.requests().at(0);
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, kAccountPath);
    EXPECT_EQ(request.body, std::string("code=") + kCode);
    EXPECT_TRUE(ed->signIn().isSignedIn());
    EXPECT_FALSE(ed->busyOverlay()->isBusy());
}

TEST_F(SignInTest, OkStoresTheFieldsAndAnAcceptedSignInSlidesTheDrawerBack)
{
    server.setReply(kAccountPath, FakeShowcaseServer::answer(200, kAccepted));
    launchReturning("", "", false);
    const float openY = ed->drawer().openY();
    ASSERT_EQ(ed->drawer().panel()->getPositionY(), openY);

    signIn("racer7", kCode);
    EXPECT_EQ(stored("name"), "racer7");
    EXPECT_EQ(stored("code"), kCode);
    EXPECT_TRUE(ed->busyOverlay()->isBusy());
    ASSERT_TRUE(awaitReplies());

    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.requests().at(0).body, std::string("code=") + kCode);
    EXPECT_TRUE(ed->signIn().isSignedIn());
    EXPECT_TRUE(storedState());
    EXPECT_EQ(stored("token"), "NEW-TOKEN");
    EXPECT_FALSE(ed->busyOverlay()->isBusy());
    EXPECT_EQ(ed->messages()->shownText(), "Signed in as racer7");
    leap(1.0);
    EXPECT_EQ(ed->drawer().panel()->getPositionY(), ed->mode().listShown() ? ed->drawer().hiddenY() : ed->drawer().peekingY());
    EXPECT_TRUE(fieldsAtRest());

    // Signed in, the item's post button is lit and active.
    ed->savedList().showItemButtons(ed->savedList().items().at(0));
    EXPECT_TRUE(ed->savedList().postButtonActive());
    EXPECT_EQ(ed->savedList().postButton()->getColor(), Color3B::WHITE);
}

TEST_F(SignInTest, EveryRefusalOrBrokenReplySignsOutAndShakesBothFieldsBackToRest)
{
    struct Case {
        const char* what;
        FakeShowcaseServer::Reply reply;
        const char* name;
        const char* tokenAfter;
    };
    const Case cases[] = {
        {"result compared case-sensitively",
         FakeShowcaseServer::answer(200, R"({"result":"Success","type":0,"token":"T","state":"success"})"), "racer7",
         "OLD-TOKEN"},
        {"account type 1",
         FakeShowcaseServer::answer(200, R"({"result":"success","type":1,"token":"T","state":"success"})"), "racer7",
         "OLD-TOKEN"},
        {"state keeps the account out",
         FakeShowcaseServer::answer(200, R"({"result":"success","type":0,"token":"T-REVIEW","state":"review"})"),
         "racer7", "T-REVIEW"},
        {"no name typed", FakeShowcaseServer::answer(200, kAccepted), "", "NEW-TOKEN"},
        {"empty body", FakeShowcaseServer::answer(200, ""), "racer7", "OLD-TOKEN"},
        {"not JSON", FakeShowcaseServer::answer(200, "<html>token SECRET-T</html>", "text/html"), "racer7",
         "OLD-TOKEN"},
        {"token missing", FakeShowcaseServer::answer(200, R"({"result":"success","type":0,"state":"success"})"),
         "racer7", "OLD-TOKEN"},
        {"number out of range",
         FakeShowcaseServer::answer(200, R"({"result":"success","type":1e999,"token":"SECRET-T","state":"success"})"),
         "racer7", "OLD-TOKEN"},
    };
    // One launch that signs in with a stored code, then every case asks again.
    server.setReply(kAccountPath, FakeShowcaseServer::answer(200, R"({"result":"error"})"));
    testing::internal::CaptureStderr();
    launchReturning("racer7", kCode, true);
    ASSERT_TRUE(awaitReplies());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Signed in first, so that the case has something to sign out of.
        server.setReply(kAccountPath, FakeShowcaseServer::answer(200, kAccepted));
        ed->signIn().nameField()->setString("racer7");
        ed->requestAccount(kCode);
        ASSERT_TRUE(awaitReplies());
        ASSERT_TRUE(ed->signIn().isSignedIn());
        ed->slideDrawer(true);
        leap(1.0);
        server.setReply(kAccountPath, c.reply);
        UserDefault::getInstance()->setStringForKey("token", "OLD-TOKEN");
        UserDefault::getInstance()->setBoolForKey("state", true);
        ed->signIn().nameField()->setString(c.name);
        leap(1.0);
        ed->requestAccount(kCode);
        ASSERT_TRUE(awaitReplies());
        EXPECT_FALSE(ed->signIn().isSignedIn());
        EXPECT_FALSE(storedState());
        EXPECT_EQ(stored("token"), c.tokenAfter);
        EXPECT_FALSE(ed->busyOverlay()->isBusy());
        expectShakeBackToRest();
        EXPECT_EQ(ed->drawer().panel()->getPositionY(), ed->drawer().openY());
    }
    app.reset();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.find("s3cret"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("SECRET"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("TOKEN"), std::string::npos) << errors;
    // A reply that is not JSON was reported, without a word of it.
    EXPECT_NE(errors.find("syntax error"), std::string::npos) << errors;
}

TEST_F(SignInTest, AnUnreachableServiceKeepsTheLastSignIn)
{
    for (const auto& reply : {FakeShowcaseServer::answer(503, kAccepted), FakeShowcaseServer::drop()}) {
        server.setReply(kAccountPath, reply);
        launchReturning("racer7", kCode, true);
        ASSERT_TRUE(awaitReplies());
        EXPECT_TRUE(ed->signIn().isSignedIn());
        EXPECT_TRUE(storedState());
        EXPECT_EQ(stored("token"), "OLD-TOKEN");
        EXPECT_FALSE(ed->busyOverlay()->isBusy());
        leap(0.05);
        EXPECT_TRUE(fieldsAtRest());
        ed->savedList().showItemButtons(ed->savedList().items().at(0));
        EXPECT_TRUE(ed->savedList().postButtonActive());
        app.reset();
    }

    // Never signed in, an outage leaves the user out and says so.
    server.setReply(kAccountPath, FakeShowcaseServer::drop());
    launchReturning("racer7", kCode, false);
    ASSERT_TRUE(awaitReplies());
    EXPECT_FALSE(ed->signIn().isSignedIn());
    EXPECT_FALSE(storedState());
    expectShakeBackToRest();
}

TEST_F(SignInTest, ASecondRefusalDuringTheFirstShakeStillEndsAtRest)
{
    server.setReply(kAccountPath, FakeShowcaseServer::answer(200, R"({"result":"error"})"));
    launchReturning("racer7", kCode, false);
    ASSERT_TRUE(awaitReplies());
    leap(0.1);
    ed->requestAccount(kCode);
    ASSERT_TRUE(awaitReplies());
    leap(0.1);
    EXPECT_FALSE(fieldsAtRest());
    leap(0.3);
    EXPECT_TRUE(fieldsAtRest());
}

TEST_F(SignInTest, ARefusedOrUnreachableSignInAskedForIsToldOnTheMessageLine)
{
    server.setReply(kAccountPath, FakeShowcaseServer::answer(200, R"({"result":"error"})"));
    launchReturning("", "", false);
    signIn("racer7", kCode);
    ASSERT_TRUE(awaitReplies());
    EXPECT_EQ(ed->messages()->shownText(), "Sign-in refused: check the name and the code");

    server.setReply(kAccountPath, FakeShowcaseServer::answer(503, ""));
    tap(worldCentre(ed->okButton()));
    ASSERT_TRUE(awaitReplies());
    EXPECT_EQ(ed->messages()->shownText(), "The showcase cannot be reached");
    leap(MessageLine::kPassingSeconds + 1);
    EXPECT_EQ(ed->messages()->shownText(), "");
}
