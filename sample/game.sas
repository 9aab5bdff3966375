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
  native !NativeSystemCommand @titleMusic @scratch  # music 1: its intro, then its loop
  native !NativeSetTgsFrameOption @optionArgs @scratch  # a taken choice lands in $choice
  native !NativeCreateTgsFrame @frameArgs @scratch  # the message window on its own canvases
  native !NativeRunTgsScript @storyArgs @scratch    # the story, to its end
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
titleMusic: word 0 1 0 1
musicOff: word 0 0 500 0
storyArgs: word 0 @storyName
storyName: string "MAIN"
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
