#include "SavedCircuitsFixture.h"

USING_NS_CC;

TEST_F(SavedCircuitsTest, LaunchReopensTheLastCircuitLinkedAndListsTheSavedOnesNewestFirst)
{
    launchWithThree();
    EXPECT_EQ(ed->store().openId(), "20150602000000");
    ASSERT_EQ(model().size(), 2u);
    EXPECT_EQ(model().parts()[0].ends[1].link, model().parts()[1].id);
    EXPECT_EQ(model().parts()[1].ends[0].link, model().parts()[0].id);
    EXPECT_EQ(ed->palette().countLabel(PartTypes::straight)->getString(), "2");
    EXPECT_FALSE(ed->mode().listShown());
    EXPECT_FALSE(ed->savedList().isVisible());
    EXPECT_FALSE(ed->mode().listShown());
    EXPECT_EQ(ed->palette().item(0)->getColor(), Color3B::WHITE);

    ASSERT_EQ(ed->savedList().items().size(), 3u);
    const char* names[] = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ed->savedList().items().at(i)->nameLabel()->getString(), names[i]);
        EXPECT_FLOAT_EQ(ed->savedList().items().at(i)->getPositionX(), 512 + 380.0f * i);
    }
    EXPECT_EQ(ed->savedList().currentItem(), ed->savedList().items().at(1));
    // Three items do not need more than the screen's width plus the last one.
    EXPECT_FLOAT_EQ(ed->savedList().view()->getContainer()->getContentSize().width, 1272 + 160 + 50);
}

TEST_F(SavedCircuitsTest, LaunchWithoutAnOpenCircuitShowsThePanel)
{
    launchWithThree(false);
    EXPECT_TRUE(ed->mode().listShown());
    EXPECT_TRUE(ed->savedList().isVisible());
    EXPECT_TRUE(ed->mode().listShown());
    EXPECT_FALSE(ed->mode().wheelEnabled());
    EXPECT_EQ(ed->palette().item(0)->getColor(), Color3B::GRAY);
    EXPECT_TRUE(model().empty());
    EXPECT_EQ(ed->savedList().currentItem(), nullptr);
}

TEST_F(SavedCircuitsTest, EveryEditIsInTheStoreWhenTheFingerLifts)
{
    launchWithThree();
    ed->drawer().panel()->setPositionY(768 + ed->drawer().panel()->getContentSize().height * 0.5f - 100);
    app->frame();
    tap(partAt(1));
    EXPECT_EQ(stored("20150602000000"),
              R"([{"rot":0,"type":1,"x":1000,"y":700},{"rot":45,"type":1,"x":1060,"y":700}])");

    // A part dragged out of the palette is written at release, after the others.
    ZelmPartSprite* jump = ed->palette().item(PartTypes::jump);
    Vec2 at = worldOf(jump);
    app->touchDown(0, at);
    for (int i = 0; i < 4; ++i) {
        at.y -= 40;
        app->touchMove(0, at);
        app->frame();
    }
    app->touchUp(0);
    app->frame();
    const auto parts = circuitdoc::readCircuit(stored("20150602000000"));
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[2].type, PartTypes::jump);
    EXPECT_TRUE(ed->snapshot().pending()) << "the edit left a picture of the board";
}

TEST_F(SavedCircuitsTest, SaveNewTileMakesAnEmptyOpenCircuitWithAThumbnailAndAnItem)
{
    launchWithThree(false);
    tap(worldOf(ed->savedList().saveNewTile()));
    EXPECT_FALSE(ed->mode().listShown());
    const std::string id = ed->store().openId();
    ASSERT_EQ(id.size(), 14u);
    EXPECT_EQ(stored("load"), id);
    const auto entries = circuitdoc::readSaveList(stored("savelist"));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].id, id);
    EXPECT_EQ(entries[0].name, ed->store().newCircuitDate());
    EXPECT_EQ(stored(id.c_str()), "") << "no document before the first edit";

    app->advance(0.1);
    const std::string thumbnail = CircuitStore::thumbnailPath(id);
    auto* image = new Image();
    ASSERT_TRUE(image->initWithImageFile(thumbnail));
    EXPECT_EQ(image->getWidth(), 640);
    EXPECT_EQ(image->getHeight(), 480);
    image->release();
    ASSERT_EQ(ed->savedList().items().size(), 4u);
    EXPECT_EQ(ed->savedList().items().at(0)->id(), id);
    EXPECT_EQ(ed->savedList().currentItem(), ed->savedList().items().at(0));

    // A second circuit in the same second takes the next second's id.
    ed->showSavedList(true);
    tap(worldOf(ed->savedList().saveNewTile()));
    EXPECT_NE(ed->store().openId(), id);
    EXPECT_EQ(circuitdoc::readSaveList(stored("savelist")).size(), 5u);
}

TEST_F(SavedCircuitsTest, ItemTapOpensItsCircuitAndClosesThePanel)
{
    launchWithThree(false);
    tap(worldOf(item("20150602000000")));
    EXPECT_EQ(stored("load"), "20150602000000");
    EXPECT_EQ(ed->store().openId(), "20150602000000");
    EXPECT_EQ(model().size(), 2u);
    EXPECT_FALSE(ed->mode().listShown());
    EXPECT_EQ(ed->savedList().currentItem(), item("20150602000000"));
}

TEST_F(SavedCircuitsTest, ItemDraggedAboveTheLimitIsDeletedWithItsDocumentAndThumbnail)
{
    launchWithThree();
    const std::string thumbnail = CircuitStore::thumbnailPath("20150602000000");
    FileUtils::getInstance()->writeStringToFile("not a picture", thumbnail);
    ed->showSavedList(true);
    ZelmLoadSprite* b = item("20150602000000");
    ZelmLoadSprite* c = item("20150601000000");
    liftItem(b, 340, 17);
    EXPECT_TRUE(ed->savedList().itemDragMode());
    EXPECT_NE(ed->savedList().bin(), nullptr);
    EXPECT_NE(ed->savedList().copyButton(), nullptr);
    EXPECT_GT(b->getPositionY(), 700);
    app->touchUp(0);
    app->frame();
    EXPECT_EQ(stored("20150602000000"), "");
    EXPECT_EQ(stored("load"), "");
    EXPECT_EQ(circuitdoc::readSaveList(stored("savelist")).size(), 2u);
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(thumbnail));
    EXPECT_EQ(ed->savedList().copyButton(), nullptr);
    EXPECT_EQ(ed->savedList().currentItem(), nullptr);
    app->advance(0.5);
    EXPECT_EQ(ed->savedList().items().size(), 2u);
    EXPECT_FLOAT_EQ(c->getPositionX(), 892);
    EXPECT_EQ(ed->savedList().bin(), nullptr);
    EXPECT_FLOAT_EQ(ed->savedList().view()->getContainer()->getContentSize().width, 1102);
}

// The pace of a release is the finger's move in its last frame: the end of a
// touch itself carries no movement, from a mouse or from a finger.
TEST_F(SavedCircuitsTest, ItemFlickedUpPastTheMiddleGoesIntoTheBinAndASlowOneSpringsBack)
{
    launchWithThree(false);
    ZelmLoadSprite* a = item("20150603000000");
    liftItem(a, 279, 93); // 3 points a frame
    ASSERT_GT(a->getPositionY(), 640);
    ASSERT_LT(a->getPositionY(), 700);
    app->touchUp(0);
    app->advance(0.7);
    EXPECT_FLOAT_EQ(a->getPositionY(), 384);
    EXPECT_EQ(circuitdoc::readSaveList(stored("savelist")).size(), 3u);

    liftItem(a, 276, 46); // 6 points a frame
    ASSERT_GT(a->getPositionY(), 640);
    ASSERT_LT(a->getPositionY(), 700);
    app->touchUp(0);
    app->frame();
    EXPECT_EQ(circuitdoc::readSaveList(stored("savelist")).size(), 2u);
    EXPECT_EQ(stored("20150603000000"), "");
}

TEST_F(SavedCircuitsTest, ItemReleasedLowSpringsBackAndKeepsItsButtons)
{
    launchWithThree(false);
    ZelmLoadSprite* a = item("20150603000000");
    liftItem(a, 60, 6);
    app->touchUp(0);
    app->advance(0.7);
    EXPECT_FLOAT_EQ(a->getPositionY(), 384);
    EXPECT_EQ(ed->savedList().bin(), nullptr);
    EXPECT_NE(ed->savedList().copyButton(), nullptr);
    EXPECT_EQ(ed->savedList().selectedItem(), a);
    EXPECT_EQ(circuitdoc::readSaveList(stored("savelist")).size(), 3u);

    // Pulling down is damped past the first 40 points.
    liftItem(a, -16, 2); // enters drag mode: drag reset, then follows fully
    const float y = a->getPositionY();
    for (int i = 0; i < 39; ++i) {
        finger.y -= 2;
        app->touchMove(0, finger);
    }
    // The first 40 points of pull in full, then 2 / (pull / 40) a step.
    float expected = y - 40;
    for (int k = 21; k < 40; ++k) expected -= 40.0f / k;
    EXPECT_NEAR(a->getPositionY(), expected, 0.01f);
    const float before = a->getPositionY();
    finger.y -= 2; // a pull of 80: the step moves the item by 1
    app->touchMove(0, finger);
    EXPECT_NEAR(a->getPositionY(), before - 1, 0.001f);
    app->touchUp(0);
    app->frame();
}

TEST_F(SavedCircuitsTest, CopyButtonAddsACopyWithTheSameDocumentAndPicture)
{
    launchWithThree(false);
    const std::string source = "20150602000000";
    FileUtils::getInstance()->writeStringToFile("picture bytes", CircuitStore::thumbnailPath(source));
    liftItem(item(source), 20, 2);
    app->touchUp(0);
    app->frame();
    ASSERT_NE(ed->savedList().copyButton(), nullptr);
    tap(worldOf(ed->savedList().copyButton()));
    EXPECT_EQ(ed->savedList().copyButton(), nullptr);
    const std::string copy = ed->store().openId();
    ASSERT_NE(copy, source);
    EXPECT_EQ(stored(copy.c_str()), kTwoStraights);
    EXPECT_EQ(fileBytes(CircuitStore::thumbnailPath(copy)), "picture bytes");
    const auto entries = circuitdoc::readSaveList(stored("savelist"));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].id, copy);
    EXPECT_EQ(entries[0].name, ed->store().newCircuitDate());
    ASSERT_EQ(ed->savedList().items().size(), 4u);
    EXPECT_EQ(ed->savedList().items().at(0)->id(), copy);
    EXPECT_TRUE(ed->mode().listShown());
}

TEST_F(SavedCircuitsTest, EditButtonRenamesThroughTheNameBoxAndAnEmptyNameIsRefused)
{
    launchWithThree(false);
    ZelmLoadSprite* c = item("20150601000000");
    liftItem(c, 20, 2);
    app->touchUp(0);
    app->frame();
    tap(worldOf(ed->savedList().editButton()));
    EXPECT_FALSE(c->nameLabel()->isVisible());
    EXPECT_TRUE(c->nameBox()->isVisible());
    app->key("Ctrl+A");
    for (int i = 0; i < 3; ++i) app->key("Backspace");
    app->typeText("My oval");
    app->key("Return");
    app->frame();
    EXPECT_EQ(c->nameLabel()->getString(), "My oval");
    EXPECT_TRUE(c->nameLabel()->isVisible());
    EXPECT_FALSE(c->nameBox()->isVisible());
    EXPECT_EQ(circuitdoc::readSaveList(stored("savelist"))[2].name, "My oval");

    const std::string before = stored("savelist");
    c->nameBox()->setText("");
    ed->savedList().editBoxReturn(c->nameBox());
    EXPECT_EQ(std::string(c->nameBox()->getText()), "My oval");
    EXPECT_EQ(stored("savelist"), before);
}

TEST_F(SavedCircuitsTest, PostButtonWhileSignedOutIsDarkAndOpensTheHelp)
{
    launchWithThree(false);
    liftItem(item("20150603000000"), 20, 2);
    app->touchUp(0);
    app->frame();
    ASSERT_NE(ed->savedList().postButton(), nullptr);
    EXPECT_EQ(ed->savedList().postButton()->getColor(), Color3B(50, 50, 50));
    const Vec2 post = worldOf(ed->savedList().postButton());
    app->touchDown(0, post);
    EXPECT_EQ(ed->savedList().postButton()->getColor(), Color3B(50, 50, 50));
    const size_t before = ed->getChildrenCount();
    app->touchUp(0);
    app->frame();
    EXPECT_EQ(ed->getChildrenCount(), before + 1) << "the help pager opened";
}

TEST_F(SavedCircuitsTest, OpeningThePanelRefreshesTheOpenCircuitsThumbnail)
{
    launchWithThree();
    const Vec2 part = partAt(0);
    tap(part);
    ASSERT_TRUE(ed->snapshot().pending());
    ZelmLoadSprite* b = item("20150602000000");
    Texture2D* before = b->getTexture();
    ed->showSavedList(true);
    EXPECT_TRUE(model().empty());
    app->advance(0.1);
    const std::string thumbnail = CircuitStore::thumbnailPath("20150602000000");
    EXPECT_TRUE(FileUtils::getInstance()->isFileExist(thumbnail));
    EXPECT_NE(b->getTexture(), before);
    EXPECT_EQ(b->getContentSize(), Size(320, 240));
    EXPECT_FALSE(ed->snapshot().pending());
}

// A finished touch only marks where the board lay; the picture is drawn
// when the thumbnail is written, into the one texture the editor keeps. A
// picture taken while a thumbnail is being written is kept for the next.
TEST_F(SavedCircuitsTest, PicturesAreDrawnWhenWantedAndOneTakenDuringARefreshIsKept)
{
    launchWithThree();
    const Vec2 part = partAt(0);
    tap(part);
    ASSERT_TRUE(ed->snapshot().pending());
    RenderTexture* picture = ed->snapshot().draw(ed->boardView());
    ASSERT_NE(picture, nullptr);
    app->advance(1.0);
    tap(part);
    EXPECT_EQ(ed->snapshot().draw(ed->boardView()), picture) << "drawn over, not made anew";

    // Opening the panel writes the thumbnail; its end comes a frame later.
    ed->showSavedList(true);
    ed->takeBoardSnapshot();
    app->advance(0.1);
    EXPECT_TRUE(ed->snapshot().pending()) << "the newer picture waits for the next refresh";
    ed->showSavedList(true);
    app->advance(0.1);
    EXPECT_FALSE(ed->snapshot().pending());
    EXPECT_EQ(ed->snapshot().draw(ed->boardView()), nullptr);
}

TEST_F(SavedCircuitsTest, HostileStoreStartsNormallyAndTouchesNothingOutsideTheWritableFolder)
{
    launch([](UserDefault* store) {
        store->setStringForKey("load", "../../x");
        store->setStringForKey("../../x", kTwoStraights);
        store->setStringForKey("savelist", R"([{"id":"../../x","name":"evil"},{"id":"20150601000000","name":1},)"
                                           R"(7,{"id":"20150602000000","name":"fine"}])");
        store->setStringForKey("20150602000000", R"({"not":"an array"})");
    });
    EXPECT_TRUE(ed->mode().listShown());
    EXPECT_TRUE(model().empty());
    ASSERT_EQ(ed->savedList().items().size(), 1u);
    EXPECT_EQ(ed->savedList().items().at(0)->id(), "20150602000000");
    tap(worldOf(ed->savedList().items().at(0)));
    EXPECT_TRUE(model().empty()) << "a document of another shape opens as an empty board";
    ed->showSavedList(true);
    app->advance(0.1);
    const std::string outside = app->home.substr(0, app->home.rfind('/')) + "/x.png";
    EXPECT_FALSE(FileUtils::getInstance()->isFileExist(outside));
}

TEST_F(SavedCircuitsTest, APartOnItsWayIntoTheTrashIsNotInThePictureOfTheBoard)
{
    launch([](UserDefault* store) {
        store->setStringForKey("savelist", R"([{"id":"20150602000000","name":"B"}])");
        store->setStringForKey("load", "20150602000000");
    });
    ed->drawer().panel()->setPositionY(768 + ed->drawer().panel()->getContentSize().height * 0.5f - 100);
    app->frame();
    auto savePicture = [this](const std::string& name) {
        ed->snapshot().draw(ed->boardView())->saveToFile(name, Image::Format::PNG);
        app->advance(0.1);
        auto* image = new Image();
        EXPECT_TRUE(image->initWithImageFile(FileUtils::getInstance()->getWritablePath() + name));
        std::string pixels(reinterpret_cast<const char*>(image->getData()), image->getDataLen());
        image->release();
        return pixels;
    };
    ed->takeBoardSnapshot();
    const std::string empty = savePicture("empty.png");

    const Vec2 trash = ed->trash().sprite()->getPosition();
    ZelmPartSprite* part = ed->partSprites().sprite(
        ed->addPartToBoard(PartTypes::slope, ed->boardView()->getContainer()->convertToNodeSpace(trash)));
    app->touchDown(0, trash);
    app->advance(0.1);
    app->touchMove(0, trash + Vec2(1, 0));
    app->touchUp(0);
    ASSERT_TRUE(model().empty());
    EXPECT_TRUE(part->isVisible()) << "its frames still play on the board";
    EXPECT_TRUE(savePicture("dropped.png") == empty) << "the pictures differ";
}
