#pragma once

// What the card's source files share beyond the class declaration.
namespace CardFrame {

// Dynamic properties of card controls.
inline constexpr char SearchFieldProperty[] = "searchField"; // the field a menu filters by
inline constexpr char FollowLinksProperty[] = "followLinks"; // false: links are only shown
inline constexpr char TextNumberProperty[] = "textNumber";

// Pixels: the document margin of every memo, the side of a "+"/"-" button.
inline constexpr int MemoMargin = 2;
inline constexpr int MoreButtonSize = 16;

} // namespace CardFrame
