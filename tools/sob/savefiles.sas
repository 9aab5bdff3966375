# The game behind the save-file fuzz seeds (`sob savefiles`). Its variables
# match the layout the StateFileFuzz target builds: int Save, STR Save (16),
# int AutoSave, STR AutoSave (8), PSTR AutoSave; its scenes match the
# TlogReadFuzz table: MAIN 16/8, SUB 4/4, SHARED 8/0.
vars
  int  score save = 120
  str  title save size 16 = "chapter one"
  int  volume autosave = 80
  str  name autosave size 8 = "mio"
  pstr titlePtr autosave = &title

scene MAIN flags 16 8
  set 7 $score
  native !0 @callSub @x
  yield
  ret
data
x:       word 0
callSub: word @sub
sub:     string "SUB"

scene SUB flags 4 4
  ret

scene SHARED flags 8 0
  ret
