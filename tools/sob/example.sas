# A small game for `sob run`: MAIN prints, calls SUB (native 0 then a yield),
# uses a library function on a Save variable, stores 42 in retAppProc and
# jumps to END (native 1 then its return). Natives 3 and 4 print.
vars
  int  counter save = 5
  str  title autosave size 16 = "hello"
  pstr titlePtr = &title

library
twice:                          # counter <- counter + counter
  mov $counter @twiceAdd.1
  mov $counter @twiceAdd.2
twiceAdd:
  add 0 0 $counter
  ret

scene MAIN flags 16 8
  mov $title @titleArg          # the cell holds the characters' address
  native !3 @titleArg @scratch
  native !0 @callSub @scratch
  yield
  native !3 @backArg @scratch
  call lib:twice
  mov $counter @counterArg
  native !4 @counterArg @scratch
  set 42 ext:retAppProc
  native !1 @jumpEnd @scratch
  ret
data
scratch:    word 0
titleArg:   word 0
counterArg: word 0
callSub:    word @subName
jumpEnd:    word @endName
backArg:    word @back
back:       string "back in MAIN"
subName:    string "SUB"
endName:    string "END"

scene SUB
  native !3 @msgArg @scratch
  ret
data
scratch: word 0
msgArg:  word @msg
msg:     string "in SUB"

scene END
  native !3 @msgArg @scratch
  ret
data
scratch: word 0
msgArg:  word @msg
msg:     string "END reached"
