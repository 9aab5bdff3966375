#pragma once
// What every font test sets up: the blend tables, default font settings,
// a published cosine table, and fonts of the Gothic face.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/MathTables.h"
#include "platform/TextCodec.h"
#include "platform/font/FontFace.h"
#include "raster/BlendTables.h"
#include "text/FontSettings.h"
#include "text/OutlineFont.h"

namespace orrivel {

inline std::string Sjis(const char* utf8) { return platform::Utf8ToCp932(utf8).value(); }

template <typename Base>
class FontFixture : public Base {
 protected:
  void SetUp() override {
    BuildBlendTables();
    ResetFontSettings();
    previous_ = SetMathTables(&tables_);
  }
  void TearDown() override {
    SetMathTables(previous_);
    ResetFontSettings();
    platform::SetGrayGlyphsUnavailable(false);
    platform::SetFontFilesUnavailable(false);
    platform::SetFontLogSink(nullptr);
  }

  // A font of a face at a height, made and ready.
  std::unique_ptr<OutlineFont> Gothic(int32_t height, const char* face = "ＭＳ ゴシック") {
    auto font = std::make_unique<OutlineFont>();
    EXPECT_EQ(font->SetFont(height, 0, 0, Sjis(face).c_str()), 0);
    return font;
  }

  MathTables tables_;
  MathTables* previous_ = nullptr;
};

using FontTest = FontFixture<::testing::Test>;

}  // namespace orrivel
