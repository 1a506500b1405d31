// The system data's switches under the names of what they do in play. The scenes and the flow engine
// read them only through here, so that each switch's meaning is stated once. Switches marked
// "inferred" are matched to their stored member by the versions and readers of that member.
#pragma once
#include "gamedata/systemdata.h"

// Space opens the pause menu.
inline bool PauseKeyOn() { return g_SystemData.m_bSpacePause != 0; }
// Replays are recorded and F1/F2 offer to save them.
inline bool ReplayRecordingOn() { return g_SystemData.m_bReplaySave != 0; }
// A miss in story mode opens the retry window instead of restarting at once.
inline bool RetryWindowOn() { return g_SystemData.m_bDeathToMap != 0; }
// The pause menu's restart and leave-the-stage entries in story mode (with the stage's clear flag).
inline bool StoryRestartOn() { return g_SystemData.m_bStoryRetryRule != 0; }
inline bool StoryLeaveOn() { return g_SystemData.m_bStoryMapRule != 0; }
// The pause menu's restart entry in challenge mode (with the stage cleared before).
inline bool ChallengeRestartOn() { return g_SystemData.m_bChallengeRetryRule != 0; }
// The crush test of block characters pushes out exactly.
inline bool ExactPushOutOn() { return g_SystemData.m_bNoPushRecord != 0; }
// Summoned objects start from the older start position.
inline bool OldSummonStartOn() { return g_SystemData.m_bCompat768 != 0; }

// Inferred: a character killed by its flows plays its death animation. The member is off for data
// older than 272 (no death animations then) and is read by the play step and the end-of-stage trigger.
inline bool DeathAnimationOn() { return g_SystemData.m_bCompat272 != 0; }
// Inferred: the sub-step does not update the screen-position overrides. On for older data, read by
// the play step only (m_bCompat913, the other such member, sits beside the exact push-out switch).
inline bool NoScreenPositionUpdateOn() { return g_SystemData.m_bCompat696 != 0; }
// Inferred: the hero's definition is not put back from the loaded stage on a restart. On for data
// older than 697, read by stage set-up only.
inline bool HeroKeepOn() { return g_SystemData.m_bCompat697 != 0; }
// Inferred: the before-start trigger runs on every character regardless of appearance. On for data
// older than 827, read by stage set-up only.
inline bool StartTriggerAllOn() { return g_SystemData.m_bCompat827 != 0; }

// ---- Block collision, contacts and hits ----
// Each member below is on for data older than its version (the older behaviour), off for new data.
// Inferred from the "character-versus-block collision" members, in the order their effects appear:
// a walking object lands on a floor cell even while rising (677), and the glue to a lower floor after
// a speed-floor effect or a cell item is the plain extra downward speed (793).
inline bool LandRisingOn() { return g_SystemData.m_bCompat677 != 0; }
inline bool SimpleGlueOn() { return g_SystemData.m_bCompat793 != 0; }
// Inferred from the two "hit and damage step" members of version 763: the hit triggers of a touch
// follow each hit at once (A), and a shot without power, impact or item only raises its triggers and
// sets immunity (B).
inline bool HitTriggersAtOnceOn() { return g_SystemData.m_bCompat763A != 0; }
inline bool ShotImmunityOn() { return g_SystemData.m_bCompat763B != 0; }
// Inferred from the four "contact step" members, oldest first: dead characters stay in the list while
// their death plays (808), the nudge out of map blocks follows the contact flags instead of the
// applied pushes (818A), the landing on a block character does not compare the bottoms (839), and a
// rider follows the ridden character vertically only while that one is airborne (845D, set for data
// from 656 to 844).
inline bool KeepDeadCharaOn() { return g_SystemData.m_bCompat808 != 0; }
inline bool NudgeByContactOn() { return g_SystemData.m_bCompat818A != 0; }
inline bool LooseBlockCharaTestOn() { return g_SystemData.m_bCompat839 != 0; }
inline bool RideFollowAirborneOn() { return g_SystemData.m_bCompat845D != 0; }
// A protected cell is never changed by a summoned block, shown or not (data older than 617).
inline bool StrictProtectionOn() { return g_SystemData.m_bCompat637 != 0; }
// A block put on a cell marks objects there whatever their move mode (the cell occupancy test).
inline bool CellTestAnyMoveModeOn() { return g_SystemData.m_bCompat837 != 0; }
// A head pushed by a block character keeps its rising impact.
inline bool KeepImpactOnHeadOn() { return g_SystemData.m_bCeilingKeepsImpact != 0; }
// ---- end of the collision switches ----
// The pause menu shows only the layers in front of the stage and the screen colour.
inline bool PauseHidesStageOn() { return g_SystemData.m_bPlayDrawLayers != 0; }
// Characters are drawn one by one in Direct3D, not batched into one sprite layer.
inline bool NoSpriteBatchingOn() { return g_SystemData.m_bNoLayerDraw != 0; }
// Colour cycling (8-bit palette rotation) and the step of the Direct3D colour presets.
inline bool ColourCycleOn() { return g_SystemData.m_bPaletteCycle != 0; }
inline int ColourCycleStep() { return g_SystemData.m_nPaletteCycleParam; }
// Inferred: transparent areas are made with the transparent device colour instead of palette colour 0.
inline bool TransmitRgbOn() { return g_SystemData.m_nColourMode != 0; }

// Expressions and status operations. Each member is set for data older than its version, so each
// accessor names the older behaviour it selects.
// A reduction keeps its right term in the list (older than 752).
inline bool LegacyReductionOn() { return g_SystemData.m_bCompat752 != 0; }
// Coordinate writes aim at the object's centre: 16 lower in stage and screen modes, and Y without
// its reference point (older than 819).
inline bool CentredCoordWritesOn() { return g_SystemData.m_bCompat819 != 0; }
// Unlimited lives read as 0 rather than 100, and a status condition on them is false (890-895).
inline bool UnlimitedLivesZeroOn() { return g_SystemData.m_bCompat896 != 0; }
// The warp keeps a diagonal direction only for an object without gravity (older than 721).
inline bool WarpDiagonalFlyingOnlyOn() { return g_SystemData.m_bCompat721 != 0; }
// A warp to stage or screen coordinates places the object by cell, as placed objects are (older
// than 822).
inline bool WarpCellPlacementOn() { return g_SystemData.m_bCompat822 != 0; }
// A warp to screen coordinates puts a walking object 16 dots lower (822-893).
inline bool WarpScreenFootAltOn() { return g_SystemData.m_bCompat894 != 0; }
// A status operation's warp to stage coordinates places by cell (older than 895).
inline bool StatusCellPlacementOn() { return g_SystemData.m_bCompat895 != 0; }

// Movement and status commands. Each member is set for data older than its version.
// A charge turned by its angle measures the aim with the older formula (older than 728).
inline bool ChargeAngleAltOn() { return g_SystemData.m_bCompat728 != 0; }
// A straight move keeps the axes its X-off and Y-off bytes would zero (older than 773).
inline bool KeepMoveAxesOn() { return g_SystemData.m_bCompat773 != 0; }
// A straight move to target coordinates also reverses on a turn (older than 783).
inline bool FlipTargetMovesOn() { return g_SystemData.m_bCompat783 != 0; }
// A size change sets no mode-change countdown (older than 831).
inline bool NoScaleCountdownOn() { return g_SystemData.m_bScaleModeSwitch != 0; }
// ---- Menu scenes ----
// Inferred: the title menu shows the strips of "bmp\GameMode.bmp" instead of labels (the member that
// the start-up and the title read beside the slot switch).
inline bool TitlePictureMenuOn() { return g_SystemData.m_bTitleSwitch != 0; }
// New game and continue choose a story save slot.
inline bool SaveSlotsOn() { return g_SystemData.m_bNewGameSlot != 0; }
// A story stage entered from the world map starts with the lives carried (plus one) instead of the
// start life.
inline bool MapCarryLivesOn() { return g_SystemData.m_bMapStageLife != 0; }
// The world map shows the lives box.
inline bool MapShowLivesOn() { return g_SystemData.m_bMapShowLife != 0; }
// Inferred, in record order: the world map shows the best of the stage under the hero (280), the
// world-map menu the total of bests (284), the stage select each stage's best (300) and the total
// of bests (304).
inline bool MapShowBestOn() { return g_SystemData.m_bMapShow280 != 0; }
inline bool MapMenuShowTotalOn() { return g_SystemData.m_bMapMenuShow284 != 0; }
inline bool SelectShowBestOn() { return g_SystemData.m_bSelectShow300 != 0; }
inline bool SelectShowTotalOn() { return g_SystemData.m_bSelectShow304 != 0; }
// Lower-case letters of the menu font are drawn as icons (names are drawn with it off).
inline bool IconLettersOn() { return g_SystemData.m_bMenuFontSwitch != 0; }
