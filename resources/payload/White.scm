; Quillarix colour scheme
; Black ink on white paper, the classic page.
[Scheme]
Name=White
Version=1

[Colours]
Page=FFFFFF
Text=000000
SceneHeading=000000
Character=000000
Parenthetical=404040
Transition=404040
Selection=C0C0C0
SpellingError=0000C0
Margin=C0C0C0
