# The bundled sample game's scripts. It uses only what the engine itself
# provides to every game: scene calls and jumps (the host's natives, by
# name), with save variables and the function library, and the
# text-adventure frame that plays the story. Its last scene waits, a frame
# at a time, until the player closes the window.
vars
  int  visits save = 0
  int  choice = 0                 # the story's variables come first
  int  score save = 1
  str  title autosave size 32 = "ORRIVEL sample"

library
double:                         # score <- score + score
  mov $score @doubleAdd.1
  mov $score @doubleAdd.2
doubleAdd:
  add 0 0 $score
  ret

scene MAIN flags 16 8
  add $visits 1 $visits
  call lib:double
  native !NativeSetChannelCount @channelCount @scratch  # the frame's sound channels (clicks 3, voice 6, effects 8-11)
  native !NativeSetChannelKind @voiceChannel @scratch  # channel 6 speaks at the voices' level
title:                                            # back to the title: a new frame and the title again
  native !NativeSystemCommand @titleMusic @scratch  # the title's music, looping
  native !NativeSetTgsFrameOption @optionArgs @scratch  # a taken choice lands in $choice
  native !NativeCreateTgsFrame @frameArgs @scratch  # the message window on its own canvases
titleAgain:                                       # the title once more on the same frame
  native !SetAppOption @titleOff @scratch           # no way back to the title from the title
  native !SetAppOption @saveOff @scratch            # nothing to save or load on the title
  native !SetAppOption @loadOff @scratch
  native !NativeRunTgsScript @titleArgs @scratch    # はじめから (0) or つづきから (1)
  native !SetAppOption @titleOn @scratch            # the story may go back to the title
  native !SetAppOption @saveOn @scratch             # ... and be saved and loaded
  native !SetAppOption @loadOn @scratch
  mov $choice @fromTitle.1
fromTitle:
  bz 0 @story
  native !NativeLoadSave @quickSave @loaded       # the newest quick save
  mov @loaded @afterLoad.1
afterLoad:
  bz 0 @resume                                    # loaded: the story goes on from it
  mov @loaded @noQuickSave.1
noQuickSave:
  eq 0 -1 @quickSaveThere.1                       # no quick save at all: the story starts
quickSaveThere:
  bz 0 @damaged
story:
  native !NativeRunTgsScript @storyArgs @scratch    # the story, to its end
  jmp @afterRun
resume:
  native !NativeRunTgsScript @resumeArgs @scratch   # the loaded page, then on to the end
afterRun:
  mov ext:retTgsFrame @runEnded.1
runEnded:
  eq 0 2 @loadChosen.1                            # the player chose a save to load
loadChosen:
  bz 0 @otherEnds
  native !NativeLoadSave @chosenSave @loaded      # the save file the player chose
  mov @loaded @reloaded.1
reloaded:
  bz 0 @resume                                    # loaded: the story goes on from it
otherEnds:
  mov ext:retTgsFrame @titleAsked.1
titleAsked:
  eq 0 1 @titleChosen.1                           # the player asked for the title
titleChosen:
  bz 0 @choiceAsked
  jmp @title
choiceAsked:
  mov ext:retTgsFrame @choiceEnded.1
choiceEnded:
  eq 0 3 @choiceChosen.1                          # back to the previous choice
choiceChosen:
  bz 0 @storyDone
  native !NativeRestoreStateSnapshot @scratch @loaded  # the state kept when it was taken
  mov @loaded @restored.1
restored:
  bz 0 @resume                                    # restored: the choice is offered again
damaged:                                          # the quick save cannot be loaded (nothing was
  native !NativeSystemCommand @damagedNotice @scratch  # changed): the player is told and the title stays
  set 0 $choice                                   # a title ended by quitting starts nothing again
  jmp @titleAgain
storyDone:
  native !NativeDeleteTgsFrame @scratch @scratch
  native !NativeSystemCommand @musicOff @scratch  # the music fades out over half a second
  native !CallScene @callRoom @scratch  # visit ROOM, come back here
  yield
  call lib:double
  native !JumpScene @jumpEnd @scratch  # leave MAIN for good
  ret
data
scratch:   word 0
optionArgs: word 0 $choice
frameArgs: word 0 0 0
channelCount: word 12
voiceChannel: word 6 4
titleMusic: word 0 2 0 1
musicOff: word 0 0 500 0
storyArgs: word 0 @storyName
storyName: string "MAIN"
titleArgs: word 0 @titleName
titleName: string "TITLE"
resumeArgs: word -1 0
titleOn:  word 10 1
titleOff: word 10 0
saveOn:   word 8 1
saveOff:  word 8 0
loadOn:   word 9 1
loadOff:  word 9 0
quickSave: word 11 -1
damagedNotice: word 5 @damagedText 100          # the box's notice, as the quick load shows it
# "クイックセーブデータが壊れているためロードできません" in CP932
damagedText: string "\x83\x4E\x83\x43\x83\x62\x83\x4E\x83\x5A\x81\x5B\x83\x75\x83\x66\x81\x5B\x83\x5E\x82\xAA\x89\xF3\x82\xEA\x82\xC4\x82\xA2\x82\xE9\x82\xBD\x82\xDF\x83\x8D\x81\x5B\x83\x68\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1"
chosenSave: word -1 0
loaded:   word 0
callRoom: word @roomName
jumpEnd:  word @endName
roomName: string "ROOM"
endName:  string "ENDING"

scene ROOM
  add $visits 1 $visits
  ret
data
scratch: word 0

scene ENDING
  set 1 ext:retAppProc
wait:
  yield                         # one frame
  jmp @wait
