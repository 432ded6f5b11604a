#include <sys/stat.h>

#include <fstream>
#include <vector>

#include "PostView.h"
#include "ShowcaseFixture.h"

USING_NS_CC;
using cocos2d::network::HttpClient;

namespace {

const char* const kId = "20150601000000";
const char* const kImagePath = "/set_image.asp";
const char* const kCircuitPath = "/set_circuit.asp";
const char* const kImageAccepted = R"({"result":"success","imageid":17})";

bool fileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// A plain red 640 x 480 picture, the size of a thumbnail.
void writeRedThumbnail(const std::string& path)
{
    std::vector<unsigned char> pixels(640 * 480 * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = 255;
        pixels[i + 3] = 255;
    }
    auto* image = new Image();
    ASSERT_TRUE(image->initWithRawData(pixels.data(), ptrdiff_t(pixels.size()), 640, 480, 8));
    ASSERT_TRUE(image->saveToFile(path, false));
    image->release();
}

class PostViewTest : public ShowcaseFixture {
protected:
    void launchWithCircuit(const std::string& name, bool thumbnail = true)
    {
        launch([&](UserDefault* store) {
            store->setBoolForKey("open", true);
            store->setStringForKey("savelist", R"([{"id":")" + std::string(kId) + R"(","name":")" + name + R"("}])");
            store->setStringForKey("token", "TOKEN-1");
            const std::string folder = FileUtils::getInstance()->getWritablePath() + "screen";
            FileUtils::getInstance()->createDirectory(folder);
            if (thumbnail) writeRedThumbnail(folder + "/" + kId + ".png");
        });
    }

    PostView* openView()
    {
        ZelmLoadSprite* item = ed->savedList().items().at(0);
        auto* view = PostView::create(item->id(), item->nameLabel()->getString());
        // As the list's post button opens it: outcomes go to the message line.
        view->setTeller([this](const std::string& text) { ed->tell(text); });
        ed->addChild(view);
        app->frame();
        return view;
    }

    void tapPost(PostView* view) { tap(worldCentre(view->postButton())); }

    std::string png() const { return CircuitStore::thumbnailPath(kId); }
    std::string jpg() const { return PostView::jpegPath(kId); }

    static bool hasLine(const FakeShowcaseServer::Request& request, const std::string& line)
    {
        for (const std::string& l : request.headerLines)
            if (l == line) return true;
        return false;
    }

    static bool formAtRest(PostView* view)
    {
        return view->formLayer()->getPosition() == Vec2::ZERO && view->formLayer()->getRotation() == 0.0f;
    }

    // The form wobbles, comes back to where it stood and the overlay goes.
    void expectFailureShown(PostView* view)
    {
        EXPECT_TRUE(view->busyOverlay()->isBusy());
        leap(0.05);
        EXPECT_FALSE(formAtRest(view));
        leap(0.3);
        EXPECT_TRUE(formAtRest(view));
        EXPECT_FALSE(view->busyOverlay()->isBusy());
        EXPECT_EQ(view->getParent(), ed);
    }
};

} // namespace

TEST_F(PostViewTest, ThePostButtonOfASignedInUserOpensTheView)
{
    server.setReply("/circuit_get_account.asp",
                    FakeShowcaseServer::answer(200, R"({"result":"success","type":0,"token":"T","state":"success"})"));
    launch([](UserDefault* store) {
        store->setBoolForKey("open", true);
        store->setStringForKey("savelist", R"([{"id":"20150601000000","name":"A"}])");
        store->setStringForKey("name", "racer7");
        store->setStringForKey("code", "c");
    });
    ASSERT_TRUE(awaitReplies());
    ASSERT_TRUE(ed->signIn().isSignedIn());
    leap(1.0); // the drawer slides out of the way

    ed->savedList().showItemButtons(ed->savedList().items().at(0));
    ASSERT_NE(ed->savedList().postButton(), nullptr);
    tap(worldCentre(ed->savedList().postButton()));
    PostView* view = nullptr;
    for (Node* child : ed->getChildren())
        if (auto* found = dynamic_cast<PostView*>(child)) view = found;
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->circuitId(), ed->savedList().items().at(0)->id());
    EXPECT_EQ(ed->savedList().postButton(), nullptr);
    EXPECT_EQ(ed->getChildren().back(), view);
}

TEST_F(PostViewTest, TheFormShowsTheThumbnailAndTheNameOnOneLine)
{
    launchWithCircuit("A\\r\\nB\\nC");
    PostView* view = openView();
    EXPECT_EQ(std::string(view->nameBox()->getText()), "A B C");
    EXPECT_EQ(view->nameBox()->getMaxLength(), 30);
    EXPECT_EQ(view->nameBox()->getInputMode(), ui::EditBox::InputMode::SINGLE_LINE);
    EXPECT_EQ(std::string(view->descriptionBox()->getText()), "");
    EXPECT_EQ(view->descriptionBox()->getMaxLength(), 1000);
    EXPECT_EQ(view->descriptionBox()->getInputMode(), ui::EditBox::InputMode::ANY);

    Image* shot = app->capture();
    const Color4B middle = EngineHarness::pixelAt(shot, 512, 768 - 500);
    EXPECT_EQ(middle, Color4B(255, 0, 0, 255));

    // An emptied name comes back as the list item holds it.
    view->nameBox()->setText("");
    view->editBoxReturn(view->nameBox());
    EXPECT_EQ(std::string(view->nameBox()->getText()), "A\r\nB\nC");
    view->descriptionBox()->setText("");
    view->editBoxReturn(view->descriptionBox());
    EXPECT_EQ(std::string(view->descriptionBox()->getText()), "");
}

TEST_F(PostViewTest, APostUploadsTheJpegRegistersTheCircuitAndSlidesAway)
{
    server.setReply(kImagePath, FakeShowcaseServer::answer(200, kImageAccepted));
    server.setReply(kCircuitPath, FakeShowcaseServer::answer(200, R"({"result":"success"})"));
    launchWithCircuit("Old name");
    PostView* view = openView();
    view->retain();
    view->nameBox()->setText("Blue Track");

    tapPost(view);
    EXPECT_TRUE(view->busyOverlay()->isBusy());
    EXPECT_FALSE(fileExists(jpg()));
    ASSERT_TRUE(awaitReplies());

    ASSERT_EQ(server.requestCount(), 2u);
    const auto requests = server.requests();
    const FakeShowcaseServer::Request& upload = requests.at(0);
    EXPECT_EQ(upload.method, "POST");
    EXPECT_EQ(upload.path, kImagePath);
    EXPECT_TRUE(hasLine(upload, "Content-Type:image/jpg"));
    EXPECT_TRUE(hasLine(upload, "x-token:TOKEN-1"));
    ASSERT_GT(upload.body.size(), 3u);
    EXPECT_EQ(upload.body.substr(0, 3), "\xFF\xD8\xFF");
    auto* sent = new Image();
    EXPECT_TRUE(sent->initWithImageData(reinterpret_cast<const unsigned char*>(upload.body.data()),
                                        ptrdiff_t(upload.body.size())));
    EXPECT_EQ(sent->getWidth(), 640);
    EXPECT_EQ(sent->getHeight(), 480);
    sent->release();

    const FakeShowcaseServer::Request& registration = requests.at(1);
    EXPECT_EQ(registration.path, kCircuitPath);
    EXPECT_EQ(registration.body, "circuitid=0&name=Blue%20Track&text=&imageids=17");
    EXPECT_TRUE(hasLine(registration, "x-token:TOKEN-1"));
    EXPECT_FALSE(hasLine(registration, "Content-Type:image/jpg"));

    EXPECT_EQ(ed->messages()->shownText(), "Posted to the showcase");
    leap(0.3);
    EXPECT_GT(view->getPositionY(), 600.0f);
    leap(0.35);
    EXPECT_EQ(view->getParent(), nullptr);
    EXPECT_EQ(view->getPositionY(), 768.0f);
    view->release();
    EXPECT_TRUE(fileExists(png()));
    EXPECT_FALSE(fileExists(jpg()));
}

TEST_F(PostViewTest, ARefusedOrBrokenUploadShakesTheFormAndSendsNoRegistration)
{
    server.setReply(kCircuitPath, FakeShowcaseServer::answer(200, R"({"result":"success"})"));
    launchWithCircuit("Blue Track");
    PostView* view = openView();
    view->descriptionBox()->setText("fast\nand long");
    const FakeShowcaseServer::Reply replies[] = {
        FakeShowcaseServer::answer(200, R"({"result":"failure","imageid":17})"),
        FakeShowcaseServer::answer(200, R"({"result":"success"})"),
        FakeShowcaseServer::answer(200, R"({"result":"success","imageid":1e999})"),
        FakeShowcaseServer::answer(200, "imageid=17", "text/plain"),
        FakeShowcaseServer::answer(200, ""),
        FakeShowcaseServer::answer(500, kImageAccepted),
        FakeShowcaseServer::drop(),
    };
    size_t sentBefore = 0;
    for (const auto& reply : replies) {
        SCOPED_TRACE(reply.body);
        server.setReply(kImagePath, reply);
        // The same view tries again after every failure.
        tapPost(view);
        ASSERT_TRUE(awaitReplies());
        expectFailureShown(view);
        ASSERT_EQ(server.requestCount(), sentBefore + 1);
        EXPECT_EQ(server.requests().back().path, kImagePath);
        sentBefore = server.requestCount();
        EXPECT_EQ(std::string(view->nameBox()->getText()), "Blue Track");
        EXPECT_EQ(std::string(view->descriptionBox()->getText()), "fast\nand long");
        EXPECT_FALSE(fileExists(jpg()));
    }
}

TEST_F(PostViewTest, ARefusedRegistrationShakesTheFormAndKeepsTheView)
{
    server.setReply(kImagePath, FakeShowcaseServer::answer(200, kImageAccepted));
    launchWithCircuit("Blue Track");
    PostView* view = openView();
    view->descriptionBox()->setText("a&b");
    for (const char* body : {R"({"result":"failure"})", R"({"result":null})", "{", ""}) {
        SCOPED_TRACE(body);
        server.setReply(kCircuitPath, FakeShowcaseServer::answer(200, body));
        tapPost(view);
        ASSERT_TRUE(awaitReplies());
        EXPECT_EQ(server.requests().back().body, "circuitid=0&name=Blue%20Track&text=a%26b&imageids=17");
        expectFailureShown(view);
        EXPECT_EQ(ed->messages()->shownText(), std::string(body) == R"({"result":"failure"})"
                                                   ? "Posting failed: the showcase refused it"
                                                   : "Posting failed: the showcase's answer was not understood");
    }
}

TEST_F(PostViewTest, APressThatLeavesThePostButtonSendsNothingAndCloseRemovesTheView)
{
    launchWithCircuit("Blue Track");
    PostView* view = openView();
    view->retain();
    const Vec2 post = worldCentre(view->postButton());
    app->touchDown(0, post);
    app->frame();
    EXPECT_EQ(view->postButton()->getColor(), Color3B::GRAY);
    app->touchMove(0, post + Vec2(300, 0));
    app->frame();
    EXPECT_EQ(view->postButton()->getColor(), Color3B::WHITE);
    app->touchUp(0);
    app->frame();
    EXPECT_EQ(view->postButton()->getColor(), Color3B::WHITE);
    EXPECT_FALSE(view->busyOverlay()->isBusy());
    EXPECT_EQ(HttpClient::outstandingRequests(), 0u);
    EXPECT_FALSE(server.waitForRequests(1, 0.3));

    // The view takes every touch: the list under it hears nothing.
    const size_t items = ed->savedList().items().size();
    tap(Vec2(100, 100));
    EXPECT_EQ(ed->savedList().items().size(), items);
    EXPECT_EQ(view->getParent(), ed);

    tap(worldCentre(view->closeButton()));
    EXPECT_EQ(view->getParent(), nullptr);
    view->release();
}

TEST_F(PostViewTest, WithoutAThumbnailTheViewShowsNoImageAndUploadsNothingStale)
{
    server.setReply(kImagePath, FakeShowcaseServer::answer(200, R"({"result":"failure"})"));
    launchWithCircuit("Blue Track", false);
    // A JPEG left behind by an earlier run is no stand-in for the thumbnail.
    {
        std::ofstream stale(jpg(), std::ios::binary);
        stale << "STALE";
    }
    PostView* view = openView();
    Image* shot = app->capture();
    EXPECT_NE(EngineHarness::pixelAt(shot, 512, 768 - 500), Color4B(255, 0, 0, 255));

    tapPost(view);
    ASSERT_TRUE(awaitReplies());
    ASSERT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(server.requests().at(0).body, "");
    EXPECT_FALSE(fileExists(jpg()));
    expectFailureShown(view);
}
