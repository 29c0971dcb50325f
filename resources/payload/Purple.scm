; Quillarix colour scheme
; Lavender page with plum ink.
[Scheme]
Name=Purple
Version=1

[Colours]
Page=E8D8F0
Text=300040
SceneHeading=500070
Character=400050
Parenthetical=705080
Transition=705080
Selection=B8A0C8
SpellingError=C00060
Margin=B8A0C8
