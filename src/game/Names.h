#pragma once
// The game's toy, sound and record names as the scene and difficulty texts spell them: Shift-JIS
// byte strings, compared byte for byte. The Japanese beside each is only for the reader.

// Images
inline constexpr char kBackground[] = "\x94\x77\x8c\x69";  // 背景
inline constexpr char kLeaves[] = "\x97\x74";  // 葉
inline constexpr char kTitle[] = "\x83\x5e\x83\x43\x83\x67\x83\x8b";  // タイトル
inline constexpr char kHeading[] = "\x8c\xa9\x8f\x6f\x82\xb5";  // 見出し
inline constexpr char kDigits[] = "\x90\x94\x8e\x9a";  // 数字
inline constexpr char kSquirrel[] = "\x83\x8a\x83\x58";  // リス
inline constexpr char kNuts[] = "\x96\xd8\x82\xcc\x8e\xc0";  // 木の実
inline constexpr char kBalloon[] = "\x90\x81\x82\xab\x8f\x6f\x82\xb5";  // 吹き出し
inline constexpr char kShadow[] = "\x89\x65";  // 影
inline constexpr char kSpacePrompt[] = "\x83\x58\x83\x79\x81\x5b\x83\x58";  // スペース
inline constexpr char kCursor[] = "\x83\x4a\x81\x5b\x83\x5c\x83\x8b";  // カーソル
inline constexpr char kRemaining[] = "\x8e\x63\x82\xe8";  // 残り
inline constexpr char kCross[] = "\x83\x6f\x83\x63";  // バツ

// Sounds
inline constexpr char kSoundTake[] = "\x8e\xe6\x82\xe9";  // 取る
inline constexpr char kSoundWalk[] = "\x95\xe0\x82\xad";  // 歩く
inline constexpr char kSoundMiss[] = "\x83\x7e\x83\x58";  // ミス

// Squirrel animations. 前向き is the pose after walking up (seen from behind), 後ろ向き the pose
// after walking down (seen from the front).
inline constexpr char kFacingLeft[] = "\x8d\xb6\x8c\xfc\x82\xab";  // 左向き
inline constexpr char kFacingRight[] = "\x89\x45\x8c\xfc\x82\xab";  // 右向き
inline constexpr char kFacingFront[] = "\x91\x4f\x8c\xfc\x82\xab";  // 前向き
inline constexpr char kFacingBack[] = "\x8c\xe3\x82\xeb\x8c\xfc\x82\xab";  // 後ろ向き
inline constexpr char kWalkLeft[] = "\x8d\xb6\x95\xe0\x82\xab";  // 左歩き
inline constexpr char kWalkRight[] = "\x89\x45\x95\xe0\x82\xab";  // 右歩き
inline constexpr char kWalkBack[] = "\x8c\xe3\x82\xeb\x95\xe0\x82\xab";  // 後ろ歩き
inline constexpr char kWalkFront[] = "\x91\x4f\x95\xe0\x82\xab";  // 前歩き

// Number displays
inline constexpr char kScore[] = "\x83\x58\x83\x52\x83\x41";  // スコア
inline constexpr char kTime[] = "\x83\x5e\x83\x43\x83\x80";  // タイム
inline constexpr char kLevel[] = "\x83\x8c\x83\x78\x83\x8b";  // レベル

// The difficulty record's name value
inline constexpr char kDifficultyName[] = "\x93\xef\x88\xd5\x93\x78\x83\x66\x81\x5b\x83\x5e";  // 難易度データ

// ASCII names the game looks up
inline constexpr char kSceneText[] = "toybox";
inline constexpr char kDifficultyText[] = "dificulty";
inline constexpr char kMusic[] = "BGM0";
inline constexpr char kPlayer[] = "player0";
inline constexpr char kCursorPlayer[] = "cursor";
inline constexpr char kNutPrefix[] = "kinomi";
inline constexpr char kShadowPrefix[] = "shadow";
inline constexpr char kCrossPrefix[] = "BATSU";
inline constexpr char kMistake[] = "MISSTAKE";
inline constexpr char kTitlePicture[] = "TITLE";
inline constexpr char kClearPicture[] = "CLEAR";
inline constexpr char kMissPicture[] = "MISS";
inline constexpr char kGameOverPicture[] = "GAMEOVER";
inline constexpr char kPushSpace[] = "PUSHSPACE";

// Added for the game rules
