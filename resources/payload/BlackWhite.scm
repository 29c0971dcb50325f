; Quillarix colour scheme
; White text on black, highest contrast.
[Scheme]
Name=Black and White
Version=1

[Colours]
Page=000000
Text=FFFFFF
SceneHeading=FFFFFF
Character=FFFFFF
Parenthetical=C0C0C0
Transition=C0C0C0
Selection=808080
SpellingError=FFFFFF
Margin=808080
