// Sound toys: a name and a file, nothing to draw.
#include "toys/Toysound.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toys/ToyScene.h"

namespace {

using toytest::Markers;

class ToySoundTest : public toytest::ToyScene {
protected:
    std::unique_ptr<TToyBox> box = Load("{\nclass Command\nchdir Resource\n}\n");
};

TEST_F(ToySoundTest, ReadsItsNameAndFileAndDrawsNothing) {
    auto sound = Make<TToySound>(*box, "{\nclass Sound\nname get\nfileName getwave\nshow 1\n}\n");
    EXPECT_EQ(sound->className, "Sound");
    EXPECT_EQ(sound->name, "get");
    EXPECT_EQ(sound->fileName, "getwave");
    sound->Show();
    sound->Draw(0, 0);
    sound->Update(20);
    EXPECT_TRUE(Markers(draw).empty());
}

}  // namespace
