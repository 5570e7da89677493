#pragma once
// Resource ids of the page pictures (PNG, drawn at build time by
// resources/skin/make_skin.py, which reads the ids from this file). Pages load
// them with CDUI_Image::SetImageFromResource; the sizes are listed so pages
// can place them without decoding first.

namespace ventaro_pictures {

// Home view, one pair per feature: the first is shown, the second is the same
// scene lit up while the pointer is over "EnterButton". 432 x 296 each.
constexpr int kPictureFanFeature = 134;
constexpr int kPictureFanFeatureLit = 135;
constexpr int kPictureGameFeature = 136;
constexpr int kPictureGameFeatureLit = 137;
constexpr int kPictureLightFeature = 140;
constexpr int kPictureLightFeatureLit = 141;
constexpr int kPictureUpdateFeature = 146;
constexpr int kPictureUpdateFeatureLit = 147;
constexpr int kFeaturePictureWidth = 432;
constexpr int kFeaturePictureHeight = 296;

// Page backgrounds and illustrations.
constexpr int kPictureDialogBanner = 133;   // 577 x 112, top of the login, account and password dialogs
constexpr int kPictureFanGauge = 138;       // 220 x 220, dial behind the fan page's figures
constexpr int kPictureEmptyGames = 139;     // 200 x 150, the game list when it holds no game

}  // namespace ventaro_pictures
