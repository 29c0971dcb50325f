; Quillarix colour scheme
; Light text on deep blue, easy on the eyes at night.
[Scheme]
Name=Blue
Version=1

[Colours]
Page=000080
Text=FFFFFF
SceneHeading=FFFF00
Character=00FFFF
Parenthetical=C0C0C0
Transition=C0C0C0
Selection=4040A0
SpellingError=FF8080
Margin=4040A0
