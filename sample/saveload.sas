# The sample game's save and load screen: the system script that the
# message window's save and load buttons (and the system menu's) run. The
# frame passes 1 (save) or 0 (load) in retTgsExp. The sample keeps one
# save of its own, slot 0 of group 0: the save screen writes it; the load
# screen chooses it when it is there and answers 2 in retTgsExp, and the
# game then loads it and goes on from it. Any other answer closes the
# screen.
scene SAVELOAD
  mov ext:retTgsExp @mode.1
mode:
  bz 0 @load
  native !NativeWriteSave @slot @scratch          # the sample's one save
  set 0 ext:retTgsExp
  ret
load:
  set 0 ext:retTgsExp
  native !NativeReadSaveInfo @info @found         # 0 when the save is there
  mov @found @check.1
check:
  bz 0 @chosen
  ret
chosen:
  native !NativeSetSaveFileName @slot @scratch    # the file the game loads
  set 2 ext:retTgsExp
  ret
data
scratch: word 0
found: word 0
slot: word 0 0
info: word 0 0 0 0 0 0 0 0
